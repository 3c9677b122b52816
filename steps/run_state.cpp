#include "steps/run_state.h"

#include <algorithm>
#include <cstdio>

#include "base/codepage.h"
#include "fs/file.h"

RunState g_run;

const char* const VERSION_TEXT = "TELVOR Version 0.38w (x86)";
const char* const WINDOW_TITLE_TAIL = " - DreamBox Gemini Project Image e1 + e2 - I-Explorer, FireFox, Opera";
const char* const AUTHOR_CREDIT_LINE = "TELVOR - made by the TELVOR developers";

void run_start_up() {
    g_run = RunState{};

    // The current directory, ending in the separator; a root keeps its single one.
    const std::string separator = directory_separator();
    g_run.program_directory = directory_get_current();
    if (!g_run.program_directory.native.ends_with(separator))
        g_run.program_directory.native += separator;

    g_run.clipboard_copy_path = path_append(g_run.program_directory, "TELVOR.CLP");
    g_run.data_file_path = path_append(g_run.program_directory, "TELVOR.DAT");
    g_run.filter_file_path = path_append(g_run.program_directory, "TELVOR.filter");
    g_run.service_file_path = path_append(g_run.program_directory, "TELVOR.service");

    g_run.version_text = VERSION_TEXT;
    g_run.separator_line = Text(SEPARATOR_LENGTH, '=');
    g_run.author_credit_line = AUTHOR_CREDIT_LINE;

    directory_set_current(g_run.program_directory);
}

void run_set_event_file(const Path& path) {
    g_run.event_file_path = path;
    g_run.event_file_name = path_display(path);
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
void report_failed_step(const char* doing, const Path& path, const Text& reason, const Text& plain_reason) {
    const Text pattern = Text("cannot ") + doing + (path.empty() ? "" : " %1") + ": %2";
    const Text line =
        fill_in(translate(pattern), {path_display(path), translate(cp1252_from_utf8_or_cp1252(plain_reason))});
    run_set_exit_status(EXIT_STEP_FAILED);
    if (std::find(g_run.failed_steps.begin(), g_run.failed_steps.end(), line) != g_run.failed_steps.end()) return;
    g_run.failed_steps.push_back(line);
    // The path and the reason in the system's own bytes, as a terminal shows them.
    std::fprintf(stderr, "telvor: cannot %s%s%s: %s\n", doing, path.empty() ? "" : " ", path.native.c_str(),
                 reason.c_str());
}

}  // namespace

void run_step_failed(const char* doing, const Path& path) {
    report_failed_step(doing, path, file_failure_reason(), file_failure_plain_reason(path));
}

void run_file_step_failed(const char* doing, const Path& path) {
    const Path noted = file_failure_path();
    if (noted.empty())
        run_step_failed(doing, path);
    else
        run_step_failed(file_failure_doing(), noted);
}

void run_step_failed_with(const char* doing, const Path& path, const Text& reason) {
    report_failed_step(doing, path, reason, reason);
}

void run_show_failed_steps() {
    if (g_run.failed_steps.empty()) return;
    Text message = translate("TELVOR could not complete these steps:");
    for (const Text& step : g_run.failed_steps) message += "\n" + step;
    g_run.failed_steps.clear();
    show_stop_message(g_run.version_text, message);
}

void run_show_notices() {
    for (const Text& notice : g_run.notices) show_stop_message(g_run.version_text, notice);
    g_run.notices.clear();
}

void run_set_exit_status(int status) {
    if (g_run.exit_status == EXIT_DONE) g_run.exit_status = status;
}
