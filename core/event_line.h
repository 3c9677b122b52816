// The Event line's layout, the one place it is written down. Characters
// counted from 1:
//
//   1-11   Date part    "05.12.2009 " (the space belongs to it)
//   12-16  Start time   "20:15"
//   17-19  Mark field   "   " not marked, " + " marked
//   20-    title        the Event text; its first 200 characters make a repeat
//
// An Event record is the Event line, the Genre line, the Description line
// and an empty line. A line counts as an Event line when character 3 is "."
// and character 14 is ":".
#pragma once

#include <cstddef>
#include <string_view>

namespace event_line {

enum : int {
    DATE_START = 1,
    DATE_WIDTH = 11,
    TIME_WIDTH = 5,
    MARK_START = 17,
    MARK_WIDTH = 3,
    TITLE_START = 20,
    TITLE_COMPARED = 200,   // characters of the title that make a repeat
    NEW_TITLE_WIDTH = 200,  // characters of the title taken from a Weekday line
    GENRE_WIDTH = 200,      // characters of a Time line a Genre line takes
    // The two characters the Event line test looks at.
    DATE_DOT = 3,
    TIME_COLON = 14,
};

inline constexpr std::string_view MARK_EMPTY = "   ";
inline constexpr std::string_view MARK_SET = " + ";

// The field that begins at 1-based start, at most width characters; shorter
// or empty where the line ends earlier.
constexpr std::string_view field(std::string_view line, int start, std::size_t width) {
    const std::size_t first = static_cast<std::size_t>(start - 1);
    return first < line.size() ? line.substr(first, width) : std::string_view();
}

constexpr std::string_view date(std::string_view line) { return field(line, DATE_START, DATE_WIDTH); }
constexpr std::string_view mark(std::string_view line) { return field(line, MARK_START, MARK_WIDTH); }
// The whole title (the Event text).
constexpr std::string_view title(std::string_view line) {
    return field(line, TITLE_START, std::string_view::npos);
}
// The part of the title that makes a repeat (empty without a title).
constexpr std::string_view repeat_key(std::string_view line) {
    return field(line, TITLE_START, TITLE_COMPARED);
}

// The Event line test: "." at character 3 and ":" at character 14.
constexpr bool is_event_line(std::string_view line) {
    return line.size() >= TIME_COLON && line[DATE_DOT - 1] == '.' && line[TIME_COLON - 1] == ':';
}

}  // namespace event_line
