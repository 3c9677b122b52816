#include "convert/conversion.h"

#include <utility>

#include "run/run_state.h"
#include "run/views.h"
#include "convert/event_file.h"
#include "convert/events.h"
#include "convert/normalise.h"
#include "run/run_state.h"
#include "runtime/file.h"

namespace {

// The order in which a line is tested for being a Weekday line ...
const char* const WEEKDAY_TEST_ORDER[] = {"Fr.", "Sa.", "Mo.", "So.", "Di.", "Mi.",
                                          "Do.", "Su.", "Tu.", "We.", "Th."};
// ... and the order in which the abbreviations are then removed from it.
const char* const WEEKDAY_REMOVAL_ORDER[] = {"So.", "Su.", "Mo.", "Di.", "Tu.", "Mi.",
                                             "We.", "Do.", "Th.", "Fr.", "Sa."};

enum class Outcome { kept, dropped, filtered };

// The lines one iteration works on: the line just read (the Weekday line,
// then the Event line, or a re-read line) and a buffer for the lines
// copied through.
struct Lines {
    Text work;
    Text copied;
};

Text read_line() {
    Text line;
    file_read_line_trimmed(EVENT_SLOT, line);
    return line;
}

// A Guide block: the Weekday line in lines.work, its Time line and
// Description line still to be read.
Outcome convert_guide_block(Lines& lines) {
    const Text time_line = time_line_prepared(read_line());
    const Text event_line = compose_event_line(weekday_line_prepared(lines.work), time_line);
    const Text genre_line = compose_genre_line(time_line);
    lines.work = event_line;

    // A dropped event leaves its Description line unread: the next pass
    // meets it as a line of its own.
    if (filter_test(event_line)) return Outcome::filtered;
    if (repeat_test(event_line)) return Outcome::dropped;

    accept_event(event_line);
    file_write_line(DATA_SLOT, text_replace_all(genre_line, "\\", ""));
    file_write_line(DATA_SLOT, compose_description_line(read_line()));
    file_write_line(DATA_SLOT, "");
    return Outcome::kept;
}

// Any other line: an Event line of an earlier run is carried over with the
// two lines after it; everything else is dropped.
Outcome carry_over_line(Lines& lines) {
    lines.work = spacing_repair(std::move(lines.work));
    if (!is_event_line(lines.work)) return Outcome::dropped;
    if (filter_test(lines.work)) return Outcome::filtered;
    if (repeat_test(lines.work)) return Outcome::dropped;

    accept_event(lines.work);
    file_copy_line(EVENT_SLOT, DATA_SLOT, lines.copied);
    file_copy_line(EVENT_SLOT, DATA_SLOT, lines.copied);
    file_write_line(DATA_SLOT, "");
    return Outcome::kept;
}

}  // namespace

bool is_weekday_line(const Text& line) {
    if (line.size() < 3 || line[2] != '.') return false;
    for (const char* abbreviation : WEEKDAY_TEST_ORDER)
        if (line[0] == abbreviation[0] && line[1] == abbreviation[1]) return true;
    return false;
}

Text weekday_line_prepared(const Text& weekday_line) {
    Text line = line_normalisation(weekday_line);
    for (const char* abbreviation : WEEKDAY_REMOVAL_ORDER)
        line = text_replace_all(std::move(line), abbreviation, "");
    return line;
}

Text spacing_repair(Text line) {
    const Text mark = text_mid(line, 17, 3);
    if (mark == "   " || mark == " + ") return text_replace_all(std::move(line), "    ", "   ");
    return text_replace_all(std::move(line), "  ", "   ");
}

Text time_line_prepared(const Text& time_line) {
    Text line = text_replace_all(time_line, "\t", " ");
    if (text_mid(line, 2, 1) == ":") line = "0" + line;
    return line;
}

Text compose_event_line(const Text& prepared_weekday_line, const Text& prepared_time_line) {
    return text_mid(prepared_weekday_line, 1, 11) + text_mid(prepared_time_line, 1, 5) + "   " +
           text_mid(prepared_weekday_line, 12, 200);
}

Text compose_genre_line(const Text& prepared_time_line) {
    const int p = text_find(prepared_time_line, "min.", 1);
    return "Genre: " + text_mid(prepared_time_line, p + 5, 200);
}

Text compose_description_line(const Text& description_line) {
    const Text line = text_replace_all(description_line, "\t", " ");
    const int n = text_length(line);
    return text_mid(line, 2, 1) == ":" ? text_right(line, n - 5) : text_right(line, n - 6);
}

bool convert_event_file() {
    if (!begin_data_file_pass()) return false;
    Lines lines;
    while (!file_at_end(EVENT_SLOT)) {
        file_read_line_trimmed(EVENT_SLOT, lines.work);
        const Outcome outcome =
            is_weekday_line(lines.work) ? convert_guide_block(lines) : carry_over_line(lines);
        if (outcome != Outcome::filtered) advance_slot_index();
    }
    return end_data_file_pass();  // end of input
}
