#include "convert/end_of_run.h"

#include <utility>

#include "convert/event_file.h"
#include "convert/events.h"
#include "run/run_state.h"
#include "run/views.h"
#include "runtime/file.h"
#include "runtime/window.h"

namespace {

const char* const QUESTION_TEXT =
    "   Wollen Sie den Rest der Liste mit [ + ] markieren\n"
    "   bzw. das Programm TELVOR mit Abbrechen beenden...";

const int MARK_START = 17;
const int MARK_WIDTH = 3;
const char* const MARK_SET = " + ";

}  // namespace

Text mark_event_line(Text event_line) {
    // Only the Mark field changes; runs of spaces in the Event text stay, so
    // the title still matches the same event in later Guide text.
    if (text_equal(text_mid(event_line, MARK_START, MARK_WIDTH), text_spaces(MARK_WIDTH)))
        event_line.replace(MARK_START - 1, MARK_WIDTH, MARK_SET);
    return event_line;
}

void ask_end_of_run_question() {
    // Why a step failed, before the question; what the Marking pass cannot
    // do is shown after it.
    run_show_failed_steps();
    g_run.end_of_run_answer = ask_yes_no_cancel(g_run.version_text, QUESTION_TEXT, ASK_YES_NO_CANCEL);
    // Without a window no Event file was chosen, and there is nothing to mark.
    if (g_run.end_of_run_answer == ANSWER_YES && !g_run.event_file_path.empty()) {
        marking_pass();
        run_show_failed_steps();
    }
}

void marking_pass() {
    list_clear(EVENT_VIEW);
    event_view_head_lines();

    if (!begin_data_file_pass()) return;
    Text line;
    Text copied;
    while (!file_at_end(EVENT_SLOT)) {
        file_read_line_trimmed(EVENT_SLOT, line);
        if (!is_event_line(line)) continue;
        line = mark_event_line(std::move(line));
        g_run.last_shown_text = line;
        view_add(EVENT_VIEW, text_mid(line, 1, EVENT_VIEW_WIDTH));
        file_write_line(DATA_SLOT, line);
        for (int i = 0; i < 3; ++i) file_copy_line(EVENT_SLOT, DATA_SLOT, copied);
    }

    end_data_file_pass();
}
