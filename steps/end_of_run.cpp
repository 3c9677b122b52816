#include "steps/end_of_run.h"

#include "core/event_line.h"
#include "core/guide_lines.h"
#include "fs/file.h"
#include "steps/event_file.h"
#include "steps/views.h"
#include "ui/window.h"

namespace {

const char* const QUESTION_TEXT =
    "   Wollen Sie den Rest der Liste mit [ + ] markieren\n"
    "   bzw. das Programm TELVOR mit Abbrechen beenden...";

}  // namespace

int ask_end_of_run_question(RunState& run, Text& last_shown) {
    // What the run put back and why a step failed, before the question;
    // what the Marking pass cannot do is shown after it.
    run_show_notices(run);
    run_show_failed_steps(run);
    const int answer = ask_yes_no_cancel(VERSION_TEXT, QUESTION_TEXT);
    // Without a window no Event file was chosen, and there is nothing to mark.
    if (answer == ANSWER_YES && !run.event_file_path.empty()) {
        marking_pass(run, last_shown);
        run_show_failed_steps(run);
    }
    return answer;
}

void marking_pass(RunState& run, Text& last_shown) {
    list_clear(EVENT_VIEW);
    event_view_head_lines(run.event_file_name);

    if (begin_data_file_pass(run)) {
        Text marked;
        for (;;) {
            // A record whose lines go across as they are: written in one
            // piece, behind its Event line where that was marked now; else,
            // up to the end, a line.
            std::string_view record[4];
            if (file_peek_verbatim_lines(EVENT_SLOT, 4, record) == 4 && event_line::is_event_line(record[0])) {
                const std::string_view event = mark_event_line(record[0], marked);
                show_event(event, last_shown);
                const char* const from = event.data() == record[0].data() ? record[0].data() : record[1].data();
                if (from != record[0].data()) file_write_line(DATA_SLOT, event);
                const char* const end = record[3].data() + record[3].size() + 2;
                file_write_bytes(DATA_SLOT, {from, static_cast<std::size_t>(end - from)});
                file_skip_bytes(EVENT_SLOT, static_cast<std::size_t>(end - record[0].data()));
                continue;
            }
            if (file_at_end(EVENT_SLOT)) break;
            const std::string_view line = file_read_line_trimmed(EVENT_SLOT);
            if (!event_line::is_event_line(line)) continue;
            const std::string_view event = mark_event_line(line, marked);
            show_event(event, last_shown);
            file_write_line(DATA_SLOT, event);
            file_copy_lines(EVENT_SLOT, DATA_SLOT, 3);
        }
        (void)end_data_file_pass(run, last_shown);
    }
    // What the run did stays in view.
    event_view_summary_lines(run.summary_lines);
}
