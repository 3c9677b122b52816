#include "core/guide_lines.h"

#include <algorithm>
#include <cstring>
#include <iterator>

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

// Removes every occurrence of pattern, left to right, none overlapping, in
// place: the kept bytes move left, and the search goes on in the part not
// yet moved.
void remove_all(Text& text, std::string_view pattern) {
    std::size_t match = text.find(pattern);
    if (match == Text::npos) return;
    std::size_t out = match;
    for (;;) {
        const std::size_t from = match + pattern.size();
        match = text.find(pattern, from);
        const std::size_t end = match == Text::npos ? text.size() : match;
        std::memmove(text.data() + out, text.data() + from, end - from);
        out += end - from;
        if (match == Text::npos) break;
    }
    text.resize(out);
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
    // Event lines, which begin with a digit, are told apart at once.
    if (line.size() < 3 || line[2] != '.' || line[0] < 'A') return false;
    for (const char* abbreviation : WEEKDAY_REMOVAL_ORDER)
        if (line[0] == abbreviation[0] && line[1] == abbreviation[1]) return true;
    return false;
}

std::string_view weekday_line_prepared(std::string_view weekday_line, const ServiceNames& names,
                                       NormaliseBuffers& buffers, Text& prepared) {
    line_normalisation(weekday_line, names, buffers, prepared);
    // A pass for each abbreviation that stands in the line as the passes
    // before it left the line.
    unsigned standing = weekdays_standing_in(prepared);
    for (std::size_t k = 0; standing != 0 && k < std::size(WEEKDAY_REMOVAL_ORDER); ++k) {
        if ((standing >> k & 1) == 0) continue;
        remove_all(prepared, WEEKDAY_REMOVAL_ORDER[k]);
        standing = weekdays_standing_in(prepared);
    }
    return prepared;
}

std::string_view spacing_repair(std::string_view line, Text& repaired) {
    // Four spaces become three where the Mark field stands in place, else
    // two become three: runs of that many, left to right, none overlapping.
    const std::string_view mark = event_line::mark(line);
    const bool in_place = mark == event_line::MARK_EMPTY || mark == event_line::MARK_SET;
    const std::size_t run = in_place ? 4 : 2;
    // Each length on its own, so that each scan is made for it.
    if (in_place ? !byte_scan_has_run(line, ' ', 4) : !byte_scan_has_run(line, ' ', 2)) return line;
    repaired.clear();
    std::size_t from = 0;  // bytes of line already in repaired
    for (std::size_t at = line.find(' '); at != std::string_view::npos;) {
        if (line.compare(at, run, std::string_view("    ", run)) != 0) {
            at = line.find(' ', at + 1);
            continue;
        }
        repaired.append(line, from, at - from).append(event_line::MARK_EMPTY);
        from = at + run;
        at = line.find(' ', from);
    }
    repaired.append(line, from);
    return repaired;
}

std::string_view time_line_prepared(std::string_view time_line, Text& prepared) {
    // A tab becomes a space; "9:30" becomes "09:30".
    prepared.clear();
    if (time_line.size() >= 2 && time_line[1] == ':') prepared += '0';
    append_tabs_as_spaces(time_line, prepared);
    return prepared;
}

std::string_view compose_event_line(std::string_view prepared_weekday_line, std::string_view prepared_time_line,
                                    Text& line) {
    using namespace event_line;
    const std::string_view day = date(prepared_weekday_line);
    const std::string_view clock = field(prepared_time_line, 1, TIME_WIDTH);
    const std::string_view text = field(prepared_weekday_line, DATE_START + DATE_WIDTH, NEW_TITLE_WIDTH);
    line.clear();
    line.append(day).append(clock).append(MARK_EMPTY).append(text);
    return line;
}

std::string_view compose_genre_line(std::string_view prepared_time_line, Text& line) {
    // The text one character after the first "min." (the sixth character
    // on where there is none), at most 200 characters, without backslashes.
    const std::size_t min = prepared_time_line.find("min.");
    const std::string_view genre = event_line::field(prepared_time_line, min == Text::npos ? 5 : static_cast<int>(min) + 6,
                                                     event_line::GENRE_WIDTH);
    line.assign("Genre: ");
    for (std::size_t from = 0; from <= genre.size();) {
        const std::size_t backslash = std::min(genre.find('\\', from), genre.size());
        line.append(genre, from, backslash - from);
        from = backslash + 1;
    }
    return line;
}

std::string_view compose_description_line(std::string_view description_line, Text& line) {
    // Without the clock time "9:30 " or "21:45 " it begins with.
    const std::size_t cut = description_line.size() >= 2 && description_line[1] == ':' ? 5 : 6;
    line.clear();
    if (cut < description_line.size()) append_tabs_as_spaces(description_line.substr(cut), line);
    return line;
}

std::string_view mark_event_line(std::string_view line, Text& marked) {
    using namespace event_line;
    // Only the Mark field changes; runs of spaces in the title stay, so it
    // still matches the same event in later Guide text.
    if (mark(line) != MARK_EMPTY) return line;
    marked.assign(line);
    MARK_SET.copy(marked.data() + (MARK_START - 1), MARK_WIDTH);
    return marked;
}
