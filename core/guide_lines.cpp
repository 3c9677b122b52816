#include "core/guide_lines.h"

#include <iterator>
#include <utility>

#include "base/byte_scan.h"
#include "core/event_line.h"

namespace {

// The weekday abbreviations a Weekday line begins with, in the order in
// which they are then removed from it: one pass each, so what one removal
// joins can be removed by a later one.
const char* const WEEKDAY_REMOVAL_ORDER[] = {"So.", "Su.", "Mo.", "Di.", "Tu.", "Mi.",
                                             "We.", "Do.", "Th.", "Fr.", "Sa."};

// The abbreviations of WEEKDAY_REMOVAL_ORDER that stand in the line, one bit each.
unsigned weekdays_standing_in(std::string_view line) {
    unsigned standing = 0;
    for (std::size_t dot = line.find('.', 2); dot != std::string_view::npos; dot = line.find('.', dot + 1))
        for (std::size_t k = 0; k < std::size(WEEKDAY_REMOVAL_ORDER); ++k)
            if (line[dot - 2] == WEEKDAY_REMOVAL_ORDER[k][0] && line[dot - 1] == WEEKDAY_REMOVAL_ORDER[k][1])
                standing |= 1u << k;
    return standing;
}

// Appends text to out, every tab a space.
void append_tabs_as_spaces(std::string_view text, Text& out) {
    const std::size_t first = out.size();
    out.append(text);
    for (std::size_t i = first; i < out.size(); ++i)
        if (out[i] == '\t') out[i] = ' ';
}

}  // namespace

bool is_weekday_line(std::string_view line) {
    if (line.size() < 3 || line[2] != '.') return false;
    for (const char* abbreviation : WEEKDAY_REMOVAL_ORDER)
        if (line[0] == abbreviation[0] && line[1] == abbreviation[1]) return true;
    return false;
}

Text weekday_line_prepared(std::string_view weekday_line, const ServiceNames& names) {
    Text line = line_normalisation(weekday_line, names);
    // A pass for each abbreviation that stands in the line as the passes
    // before it left the line.
    unsigned standing = weekdays_standing_in(line);
    for (std::size_t k = 0; standing != 0 && k < std::size(WEEKDAY_REMOVAL_ORDER); ++k) {
        if ((standing >> k & 1) == 0) continue;
        line = text_replace_all(std::move(line), WEEKDAY_REMOVAL_ORDER[k], "");
        standing = weekdays_standing_in(line);
    }
    return line;
}

std::string_view spacing_repair(std::string_view line, Text& repaired) {
    // Four spaces become three where the Mark field stands in place, else
    // two become three.
    const std::string_view mark = event_line::mark(line);
    const bool in_place = mark == event_line::MARK_EMPTY || mark == event_line::MARK_SET;
    const std::size_t run = in_place ? 4 : 2;
    if (!byte_scan_has_run(line, ' ', run)) return line;
    repaired = text_replace_all(Text(line), Text(run, ' '), "   ");
    return repaired;
}

Text time_line_prepared(std::string_view time_line) {
    // A tab becomes a space; "9:30" becomes "09:30".
    Text line;
    line.reserve(time_line.size() + 1);
    if (time_line.size() >= 2 && time_line[1] == ':') line += '0';
    append_tabs_as_spaces(time_line, line);
    return line;
}

Text compose_event_line(const Text& prepared_weekday_line, const Text& prepared_time_line) {
    using namespace event_line;
    const std::string_view day = date(prepared_weekday_line);
    const std::string_view clock = field(prepared_time_line, 1, TIME_WIDTH);
    const std::string_view text = field(prepared_weekday_line, DATE_START + DATE_WIDTH, NEW_TITLE_WIDTH);
    Text line;
    line.reserve(day.size() + clock.size() + MARK_EMPTY.size() + text.size());
    line.append(day).append(clock).append(MARK_EMPTY).append(text);
    return line;
}

Text compose_genre_line(const Text& prepared_time_line) {
    // The text one character after the first "min." (the sixth character
    // on where there is none), at most 200 characters, without backslashes.
    const std::size_t min = prepared_time_line.find("min.");
    const std::string_view genre = event_line::field(prepared_time_line, min == Text::npos ? 5 : static_cast<int>(min) + 6,
                                                     event_line::GENRE_WIDTH);
    Text line = "Genre: ";
    line.reserve(line.size() + genre.size());
    for (const char c : genre)
        if (c != '\\') line += c;
    return line;
}

Text compose_description_line(std::string_view description_line) {
    // Without the clock time "9:30 " or "21:45 " it begins with.
    const std::size_t cut = description_line.size() >= 2 && description_line[1] == ':' ? 5 : 6;
    Text line;
    if (cut < description_line.size()) append_tabs_as_spaces(description_line.substr(cut), line);
    return line;
}

std::string_view mark_event_line(std::string_view line, Text& marked) {
    using namespace event_line;
    // Only the Mark field changes; runs of spaces in the title stay, so it
    // still matches the same event in later Guide text.
    if (mark(line) != MARK_EMPTY) return line;
    marked.assign(line);
    marked.replace(MARK_START - 1, MARK_WIDTH, MARK_SET);
    return marked;
}
