// The state of one run, which the top-level steps take as a parameter from
// start-up to shutdown: the program's parameters, the paths of the Event
// file and the working files, and the run's outcome; and the run's fixed
// texts.
#pragma once

#include <string>
#include <vector>

#include "base/path.h"
#include "base/text.h"
#include "fs/failure.h"
#include "fs/file.h"

// The File slots of a run.
enum : int {
    LIST_SLOT = 0,   // TELVOR.filter, then TELVOR.service
    EVENT_SLOT = 1,  // reading the Event file
    DATA_SLOT = 2,   // the file being written: a new Event file, TELVOR.DAT
};
static_assert(int{DATA_SLOT} < int{FILE_SLOT_COUNT}, "the file layer has a slot for each of the run's files");

// Exit statuses of the process.
enum : int {
    EXIT_DONE = 0,           // the run did what it set out to do, a Cancel included
    EXIT_STEP_FAILED = 1,    // a step could not read or write a file ("Not reading...", "Not writing...")
    EXIT_USAGE = 2,          // the command line was not understood
    EXIT_NO_DISPLAY = 3,     // no window could be opened
    EXIT_BUSY = 4,           // another run holds the Program directory or the Event file
    EXIT_OUT_OF_MEMORY = 5,  // memory ran out; the Event file is whole, no working file is left
};

// How long a read of the clipboard may take in all before the run goes on
// without its text.
enum : int { CLIPBOARD_WAIT_MS = 5000 };

// Fixed texts.
extern const char* const VERSION_TEXT;
extern const char* const WINDOW_TITLE_TAIL;
extern const char* const AUTHOR_CREDIT_LINE;
enum : int { SEPARATOR_LENGTH = 102 };
extern const Text SEPARATOR_LINE;  // SEPARATOR_LENGTH "=" characters

struct RunState {
    std::vector<std::string> parameters;  // the program's arguments after its own path

    Path event_file_path;
    Text event_file_name;          // the Event file path as views and files show it
    Path program_directory;        // ends in the directory separator
    Path clipboard_copy_path;      // TELVOR.CLP, the capture's working file of earlier versions
    Path data_file_path;           // TELVOR.DAT
    Path filter_file_path;         // TELVOR.filter
    Path service_file_path;        // TELVOR.service

    // The failed steps not yet shown to the user, one line each in the
    // desktop's language.
    std::vector<Text> failed_steps;
    // What the run did (Progress lines), shown at the end of the conversion
    // and again after the Marking pass.
    std::vector<Text> summary_lines;
    // What the run did besides its steps that the user must learn (an
    // interrupted run's old content put back), one box each.
    std::vector<Text> notices;

    bool program_directory_claimed = false;  // this run holds the Program directory
    bool main_window_is_open = false;
    int exit_status = EXIT_DONE;
};

// The index-th of the program's parameters (0: the first after its own
// path), or empty.
Path program_parameter(const RunState& run, int index);
// The Program directory (made to end in the directory separator; a root
// keeps its single one) and the four working paths in it.
void run_set_program_directory(RunState& run, const Path& folder);
// Start-up: the current folder is the Program directory, and is made the
// current folder. False (the step failed, said in the box of failed steps)
// where it cannot be read (it was deleted) or entered: the run ends then,
// before it claims anything.
[[nodiscard]] bool run_start_up(RunState& run);
// Fixes the Event file path and the name it is shown by.
void run_set_event_file(RunState& run, const Path& path);
// Reports a step that failed on path: one line on stderr with the system's
// reason, the same line in plain words kept for the user
// (run_show_failed_steps; a line already kept is not said again), and the
// exit status of a failed step unless one is set already. Where the
// failure concerned another file (a working file that vanished, a journal,
// a folder), that file and what was being done to it are named instead.
void run_step_failed(RunState& run, const char* doing, const Path& path, const Failure& failure);
// The same with a reason of its own, and without a path where path is empty.
void run_step_failed_with(RunState& run, const char* doing, const Path& path, const Text& reason);
// The pattern with "%1" to "%9" replaced by the values, in one pass.
Text fill_in(const Text& pattern, const std::vector<Text>& values);
// Shows the failed steps the user has not been shown yet, in one message
// box; nothing when there are none.
void run_show_failed_steps(RunState& run);
// Shows the notices not shown yet, one message box each.
void run_show_notices(RunState& run);
// Sets the exit status of a run that ends early, unless one is set already.
void run_set_exit_status(RunState& run, int status);
