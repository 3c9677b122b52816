// Bringing Guide text to one form: tabs become spaces, backslashes and the
// channel names of the Service list disappear, and day and month numbers
// get two digits. Each step is one complete left-to-right pass over the
// previous result.
#pragma once

#include "runtime/text.h"

// Applied once to the whole Guide text taken from the clipboard: " \t" and
// then "\t" become a space, backslashes go, the Date table, then the
// Service-name removal.
Text capture_normalisation(const Text& guide_text);
// Applied to each Weekday line the conversion meets: backslashes go, tabs
// become spaces, the Service-name removal, then the Date table.
Text line_normalisation(const Text& weekday_line);

// The Date table: rows ". 1." -> ".01." to ". 31." -> ".31.", then ".1." ->
// ".01." to ".9." -> ".09.", each a replace-all pass of its own. Matches of
// one row never overlap, so ".4.4." becomes ".04.4." (the second ".4." shares
// its first dot with the first match).
Text date_table_apply(const Text& text);
// Removes every Service list entry (each ends in a blank), letter case of
// A-Z ignored, one pass per entry in list order.
Text service_name_removal(const Text& text);
