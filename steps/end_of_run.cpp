#include "steps/end_of_run.h"

#include "core/event_line.h"
#include "core/events.h"
#include "fs/file.h"
#include "steps/event_file.h"
#include "steps/run_state.h"
#include "steps/views.h"
#include "ui/window.h"

namespace {

const char* const QUESTION_TEXT =
    "   Wollen Sie den Rest der Liste mit [ + ] markieren\n"
    "   bzw. das Programm TELVOR mit Abbrechen beenden...";

}  // namespace

std::string_view mark_event_line(std::string_view line, Text& marked) {
    using namespace event_line;
    // Only the Mark field changes; runs of spaces in the title stay, so it
    // still matches the same event in later Guide text.
    if (mark(line) != MARK_EMPTY) return line;
    marked.assign(line);
    marked.replace(MARK_START - 1, MARK_WIDTH, MARK_SET);
    return marked;
}

void ask_end_of_run_question() {
    // What the run put back and why a step failed, before the question;
    // what the Marking pass cannot do is shown after it.
    run_show_notices();
    run_show_failed_steps();
    g_run.end_of_run_answer = ask_yes_no_cancel(g_run.version_text, QUESTION_TEXT);
    // Without a window no Event file was chosen, and there is nothing to mark.
    if (g_run.end_of_run_answer == ANSWER_YES && !g_run.event_file_path.empty()) {
        marking_pass();
        run_show_failed_steps();
    }
}

void marking_pass() {
    list_clear(EVENT_VIEW);
    event_view_head_lines();

    if (begin_data_file_pass()) {
        Text marked;
        while (!file_at_end(EVENT_SLOT)) {
            const std::string_view line = file_read_line_trimmed(EVENT_SLOT);
            if (!event_line::is_event_line(line)) continue;
            const std::string_view event = mark_event_line(line, marked);
            show_event(event);
            file_write_line(DATA_SLOT, event);
            file_copy_lines(EVENT_SLOT, DATA_SLOT, 3);
        }
        end_data_file_pass();
    }
    // What the run did stays in view.
    event_view_summary_lines();
}
