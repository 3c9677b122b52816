// The Conversion loop: the Event file is read from its first line and its
// next version written to TELVOR.DAT. Guide blocks become Event records,
// Event records of earlier runs are repaired and carried over, every other
// line is dropped. At the end of input TELVOR.DAT replaces the Event file.
#pragma once

#include <string_view>

#include "convert/normalise.h"
#include "runtime/text.h"

// Runs the whole conversion, end of input included, the Weekday lines
// normalised with services. True when the Event file was replaced by its
// converted version.
bool convert_event_file(const ServiceNames& services);

// A Weekday line begins with one of the weekday abbreviations.
bool is_weekday_line(std::string_view line);
// The Weekday line with its weekday abbreviations removed, after line normalisation.
Text weekday_line_prepared(std::string_view weekday_line, const ServiceNames& names);
// Spacing repair of a line read back from the Event file: the line itself
// when there is nothing to repair, else the repaired line, kept in repaired.
std::string_view spacing_repair(std::string_view line, Text& repaired);
// A Time line with tabs replaced and a one-digit hour given its leading zero.
Text time_line_prepared(std::string_view time_line);
// Date part + Start time + empty Mark field + Event text.
Text compose_event_line(const Text& prepared_weekday_line, const Text& prepared_time_line);
// "Genre: " + the text one character after the first "min.", backslashes removed.
Text compose_genre_line(const Text& prepared_time_line);
// The Description line without its leading clock time.
Text compose_description_line(std::string_view description_line);
