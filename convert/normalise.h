// Bringing Guide text to one form: tabs become spaces, backslashes and the
// channel names of the Service list disappear, and every number from 1 to
// 31 between two dots gets two digits and no space after the first dot.
// Each step is one complete left-to-right pass over the previous result.
#pragma once

#include "runtime/text.h"

// Applied once to the whole Guide text taken from the clipboard.
Text capture_normalisation(const Text& guide_text);
// Applied to each Weekday line the conversion meets.
Text line_normalisation(const Text& weekday_line);

// The single steps, in the order the two sequences use them.
Text date_table_apply(const Text& text);
Text service_name_removal(const Text& text);
