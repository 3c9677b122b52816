#include "steps/conversion.h"

#include "core/event_line.h"
#include "core/events.h"
#include "core/guide_lines.h"
#include "fs/file.h"
#include "steps/event_file.h"
#include "steps/views.h"

namespace {

// What the Conversion loop works with besides its two File slots.
struct Conversion {
    const ServiceNames& services;
    FilterIndex filter;
    Text& last_shown;
    EventStore store{};
    // The lines made of a Guide block and a re-read line the spacing repair
    // changed, kept from line to line.
    NormaliseBuffers normalise{};
    Text weekday{}, time{}, event{}, genre{}, description{}, repaired{};
    // Events of Guide blocks written; events dropped by the Filter test and
    // by the Repeat test, new and carried over alike.
    long long added = 0, filtered = 0, repeated = 0;
};

// Whether the event is dropped, counted as filtered or as a repeat.
bool dropped(Conversion& c, std::string_view event_line) {
    if (filter_test(c.filter, event_line)) {
        ++c.filtered;
        return true;
    }
    if (repeat_test_or_store(c.store, event_line)) {
        ++c.repeated;
        return true;
    }
    return false;
}

// A Guide block: the Weekday line given, its Time line and Description line
// still to be read.
void convert_guide_block(Conversion& c, std::string_view weekday_line) {
    const std::string_view weekday = weekday_line_prepared(weekday_line, c.services, c.normalise, c.weekday);
    const std::string_view time_line = time_line_prepared(file_read_line_trimmed(EVENT_SLOT), c.time);
    const std::string_view event_line = compose_event_line(weekday, time_line, c.event);

    // A dropped event leaves its Description line unread: the next
    // iteration meets it as a line of its own.
    if (dropped(c, event_line)) return;

    ++c.added;
    show_event(event_line, c.last_shown);
    file_write_line(DATA_SLOT, event_line);
    file_write_line(DATA_SLOT, compose_genre_line(time_line, c.genre));
    file_write_line(DATA_SLOT, compose_description_line(file_read_line_trimmed(EVENT_SLOT), c.description));
    file_write_line(DATA_SLOT, "");
}

// A record of an earlier run whose four lines go across as they are, the
// last one empty: its Event line repaired and tested, it is written in one
// piece, the empty line that ends it as its own. True when it was taken
// up; false leaves it to the line by line way (a Weekday line).
bool carry_over_record(Conversion& c, const std::string_view (&record)[4]) {
    if (!record[3].empty() || is_weekday_line(record[0])) return false;
    const std::string_view line = spacing_repair(record[0], c.repaired);
    const char* const end = record[3].data() + 2;
    if (!event_line::is_event_line(line) || dropped(c, line)) {
        file_skip_bytes(EVENT_SLOT, record[0].size() + 2);
        return true;
    }
    show_event(line, c.last_shown);
    const char* const from = line.data() == record[0].data() ? record[0].data() : record[1].data();
    if (from != record[0].data()) file_write_line(DATA_SLOT, line);
    file_write_bytes(DATA_SLOT, {from, static_cast<std::size_t>(end - from)});
    file_skip_bytes(EVENT_SLOT, static_cast<std::size_t>(end - record[0].data()));
    return true;
}

// Any other line: an Event line of an earlier run is carried over with the
// two lines after it; everything else is dropped.
void carry_over_line(Conversion& c, std::string_view line) {
    line = spacing_repair(line, c.repaired);
    if (!event_line::is_event_line(line) || dropped(c, line)) return;

    show_event(line, c.last_shown);
    file_write_line(DATA_SLOT, line);
    file_copy_lines(EVENT_SLOT, DATA_SLOT, 2);
    file_write_line(DATA_SLOT, "");
    // The empty line that ends the record is dropped as any empty line would be.
    file_skip_empty_line(EVENT_SLOT);
}

}  // namespace

bool convert_event_file(RunState& run, const ServiceNames& services, const std::vector<Text>& filter_list,
                        Capture& capture, Text& last_shown) {
    event_view_head_lines(run.event_file_name);
    bool replaced = false;
    Text events_line;  // the summary of a conversion that replaced the Event file
    if (begin_data_file_pass(run)) {
        // The Guide text's lines follow the Event file's last line: its
        // normalisation need be done only then.
        file_read_text_after(EVENT_SLOT, [&run, &capture]() -> std::string_view {
            capture_finish(run, capture);
            return capture.guide_text;
        });
        Conversion c{services, filter_index_build(filter_list), last_shown};
        for (;;) {
            // A record in one piece; else, up to the end, a line.
            std::string_view record[4];
            if (file_peek_verbatim_lines(EVENT_SLOT, 4, record) == 4 && carry_over_record(c, record)) continue;
            if (file_at_end(EVENT_SLOT)) break;
            const std::string_view line = file_read_line_trimmed(EVENT_SLOT);
            if (is_weekday_line(line))
                convert_guide_block(c, line);
            else
                carry_over_line(c, line);
        }
        replaced = end_data_file_pass(run, last_shown);  // end of input
        events_line = "Events: >>> " + std::to_string(c.added) + " added <<< " + std::to_string(c.filtered) +
                      " filtered, " + std::to_string(c.repeated) + " repeated...";
    }
    // Where the Event file's end was not reached, the capture is waited for
    // here: what it says comes first in the summary.
    capture_finish(run, capture);
    if (replaced) run.summary_lines.push_back(events_line);
    event_view_summary_lines(run.summary_lines);
    return replaced;
}
