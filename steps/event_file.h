// Choosing the Event file, creating a new one, and the passes that put a
// working file in its place.
#pragma once

#include "base/date.h"
#include "base/path.h"
#include "base/text.h"
#include "fs/failure.h"
#include "steps/run_state.h"

// What became of the choice of the Event file. refused: it is left alone
// for a reason said already in a box.
enum class Choice { chosen, cancelled, busy, lock_failed, restore_failed, refused };
struct [[nodiscard]] Chosen {
    Choice choice = Choice::chosen;
    Failure failure;  // lock_failed, restore_failed: why
};

// Fixes the Event file: the first program parameter, else the file picked
// or named in the open-file dialog. The file and the folder that holds it
// are claimed for this run (busy when another run holds either,
// lock_failed when one cannot be locked). An Event file that an editor has
// open is left alone (refused). A working file's name that is a second
// name of it is removed, leftovers of killed replacements are cleared, and
// an interrupted rewrite of the Event file is undone from its journal
// (restore_failed when that fails; refused when what stands under the
// journal's name may not be applied). A name under which nothing exists
// gets the extension ".telvor" (unless it has it) and is created with the
// New-file header; where it cannot be created, or its header not written
// whole, the step fails (naming it) and nothing is left under its name.
Chosen choose_event_file(RunState& run);

// The first line of the New-file header for a file of that name created at
// the given time.
Text creation_line(const Text& event_file_name, DateValue now);

// A pass that writes the Event file's next version to a working file: the
// conversion and the marking pass (TELVOR.DAT).
//
// pass_begin opens the Event file for reading in EVENT_SLOT and the working
// file for writing in DATA_SLOT; a failure of either is a failed step, and
// the Event file stays open until the next pass or shutdown. pass_end
// closes both and puts the working file in place of the Event file where
// both were read and written completely; true when it was replaced.
enum class PassStart { open, not_reading, not_writing };
[[nodiscard]] PassStart pass_begin(RunState& run, const Path& working_path);
[[nodiscard]] bool pass_end(RunState& run, const Path& working_path);

// The conversion's and the marking pass's begin and end, TELVOR.DAT their
// working file: begin_data_file_pass shows its "Not reading..." or "Not
// writing..." lines in the Event view where it fails (false);
// end_data_file_pass adds the closing lines (or the "Not writing..."
// lines) and scrolls the view to the Last shown text. True when the Event
// file was replaced.
[[nodiscard]] bool begin_data_file_pass(RunState& run);
[[nodiscard]] bool end_data_file_pass(RunState& run, const Text& last_shown);
