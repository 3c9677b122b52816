#include "convert/end_of_run.h"

#include <utility>

#include "app/run_state.h"
#include "app/views.h"
#include "convert/event_file.h"
#include "convert/events.h"
#include "runtime/file.h"
#include "runtime/window.h"

namespace {

const char* const QUESTION_TEXT =
    "   Wollen Sie den Rest der Liste mit [ + ] markieren\n"
    "   bzw. das Programm TELVOR mit Abbrechen beenden...";

const int MARK_START = 17;
const char* const MARK_EMPTY = "   ";
const char* const MARK_SET = " + ";

}  // namespace

Text mark_event_line(Text event_line) {
    // Only the Mark field changes; runs of spaces in the Event text stay, so
    // the title still matches the same event in later Guide text.
    if (text_mid(event_line, MARK_START, 3) == MARK_EMPTY)
        event_line.replace(MARK_START - 1, 3, MARK_SET);
    return event_line;
}

int ask_end_of_run_question() {
    run.end_of_run_answer = ask_yes_no_cancel(run.version_text, QUESTION_TEXT, ASK_YES_NO_CANCEL);
    if (run.end_of_run_answer == ANSWER_YES) marking_pass();
    return run.end_of_run_answer;
}

void marking_pass() {
    list_clear(EVENT_VIEW);
    event_view_head_lines();

    if (!begin_data_file_pass()) return;
    while (!file_at_end(EVENT_SLOT)) {
        read_trimmed_line(EVENT_SLOT, run.work_line);
        if (!is_event_line(run.work_line)) continue;
        run.work_line = mark_event_line(std::move(run.work_line));
        run.last_shown_text = run.work_line;
        view_add(EVENT_VIEW, text_mid(run.work_line, 1, EVENT_VIEW_WIDTH));
        file_write_line(DATA_SLOT, run.work_line);
        for (int i = 0; i < 3; ++i) copy_trimmed_line(EVENT_SLOT, DATA_SLOT);
    }

    end_data_file_pass();
}
