#include "steps/run_state.h"

#include <algorithm>
#include <cstdio>

#include "base/codepage.h"
#include "fs/folders.h"
#include "ui/window.h"

const char* const VERSION_TEXT = "TELVOR Version 0.38w (x86)";
const char* const WINDOW_TITLE_TAIL = " - DreamBox Gemini Project Image e1 + e2 - I-Explorer, FireFox, Opera";
const char* const AUTHOR_CREDIT_LINE = "TELVOR - made by the TELVOR developers";
const Text SEPARATOR_LINE(SEPARATOR_LENGTH, '=');

Path program_parameter(const RunState& run, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= run.parameters.size()) return Path();
    return Path{run.parameters[static_cast<std::size_t>(index)]};
}

void run_set_program_directory(RunState& run, const Path& folder) {
    // Ending in the separator; a root keeps its single one.
    run.program_directory = folder;
    if (!run.program_directory.native.ends_with(PATH_SEPARATOR)) run.program_directory.native += PATH_SEPARATOR;
    run.clipboard_copy_path = path_join(run.program_directory, "TELVOR.CLP");
    run.data_file_path = path_join(run.program_directory, "TELVOR.DAT");
    run.filter_file_path = path_join(run.program_directory, "TELVOR.filter");
    run.service_file_path = path_join(run.program_directory, "TELVOR.service");
}

bool run_start_up(RunState& run) {
    Path current;
    if (FileResult read = directory_get_current(current); !read) {
        run_step_failed(run, "read the current folder", Path(), read.failure());
        return false;
    }
    run_set_program_directory(run, current);
    if (FileResult entered = directory_set_current(run.program_directory); !entered) {
        run_step_failed(run, "enter the folder", run.program_directory, entered.failure());
        return false;
    }
    return true;
}

void run_set_event_file(RunState& run, const Path& path) {
    run.event_file_path = path;
    run.event_file_name = path_display(path);
}

Text fill_in(const Text& pattern, const std::vector<Text>& values) {
    Text filled;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::size_t n = i + 1 < pattern.size() ? static_cast<unsigned char>(pattern[i + 1]) - '1' : 9;
        if (pattern[i] == '%' && n < values.size()) {
            filled += values[n];
            ++i;
        } else {
            filled += pattern[i];
        }
    }
    return filled;
}

namespace {

// Reports a failed step: the system's reason on stderr, the user's (in the
// desktop's language) in the box of failed steps. A failure said already
// and not yet shown is said once.
void report_failed_step(RunState& run, const char* doing, const Path& path, const Text& reason,
                        const Text& plain_reason) {
    const Text pattern = Text("cannot ") + doing + (path.empty() ? "" : " %1") + ": %2";
    const Text line =
        fill_in(translate(pattern), {path_display(path), translate(cp1252_from_utf8_or_cp1252(plain_reason))});
    run_set_exit_status(run, EXIT_STEP_FAILED);
    if (std::find(run.failed_steps.begin(), run.failed_steps.end(), line) != run.failed_steps.end()) return;
    run.failed_steps.push_back(line);
    // The path and the reason in the system's own bytes, as a terminal shows them.
    std::fprintf(stderr, "telvor: cannot %s%s%s: %s\n", doing, path.empty() ? "" : " ", path.native.c_str(),
                 reason.c_str());
}

}  // namespace

void run_step_failed(RunState& run, const char* doing, const Path& path, const Failure& failure) {
    const bool elsewhere = !failure.path.empty();
    const char* what = elsewhere ? failure.doing : doing;
    report_failed_step(run, what, elsewhere ? Path{failure.path} : path, failure_reason(failure),
                       failure_plain_reason(failure, path, what));
}

void run_step_failed_with(RunState& run, const char* doing, const Path& path, const Text& reason) {
    report_failed_step(run, doing, path, reason, reason);
}

void run_show_failed_steps(RunState& run) {
    if (run.failed_steps.empty()) return;
    Text message = translate("TELVOR could not complete these steps:");
    for (const Text& step : run.failed_steps) message += "\n" + step;
    run.failed_steps.clear();
    show_stop_message(VERSION_TEXT, message);
}

void run_show_notices(RunState& run) {
    for (const Text& notice : run.notices) show_stop_message(VERSION_TEXT, notice);
    run.notices.clear();
}

void run_set_exit_status(RunState& run, int status) {
    if (run.exit_status == EXIT_DONE) run.exit_status = status;
}
