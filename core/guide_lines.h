// The lines of a Guide block made into an Event record, and an Event line
// read back repaired: pure functions of their text (the Event line's layout
// in core/event_line.h). Each result that is a new text is kept in a buffer
// the caller hands in and reuses, so that no line costs an allocation; the
// view returned is valid until that buffer changes.
#pragma once

#include <string_view>

#include "base/text.h"
#include "core/normalise.h"

// A Weekday line begins with one of the weekday abbreviations.
bool is_weekday_line(std::string_view line);
// The Weekday line with its weekday abbreviations removed, after line
// normalisation; kept in prepared.
std::string_view weekday_line_prepared(std::string_view weekday_line, const ServiceNames& names,
                                       NormaliseBuffers& buffers, Text& prepared);
// Spacing repair of a line read back from the Event file: the line itself
// when there is nothing to repair, else the repaired line, kept in repaired.
std::string_view spacing_repair(std::string_view line, Text& repaired);
// A Time line with tabs replaced and a one-digit hour given its leading
// zero; kept in prepared.
std::string_view time_line_prepared(std::string_view time_line, Text& prepared);
// Date part + Start time + empty Mark field + Event text, kept in line.
std::string_view compose_event_line(std::string_view prepared_weekday_line, std::string_view prepared_time_line,
                                    Text& line);
// "Genre: " + the text one character after the first "min.", backslashes
// removed; kept in line.
std::string_view compose_genre_line(std::string_view prepared_time_line, Text& line);
// The Description line without its leading clock time, kept in line.
std::string_view compose_description_line(std::string_view description_line, Text& line);
// An Event line with its Mark field marked: the line itself when there is
// nothing to mark, else the marked line, kept in marked.
std::string_view mark_event_line(std::string_view event_line, Text& marked);
