// The Conversion loop: the Event file is read from its first line, the
// captured Guide text after it, and the Event file's next version written to
// TELVOR.DAT. Guide blocks become Event records, Event records of earlier
// runs are repaired and carried over, every other line is dropped. At the
// end of input TELVOR.DAT replaces the Event file: the Guide text and the
// conversion reach the Event file in one replacement.
#pragma once

#include <vector>

#include "base/text.h"
#include "core/normalise.h"
#include "steps/capture.h"
#include "steps/run_state.h"

// Shows the Event view's head lines and runs the whole conversion, end of
// input included, on the Event file followed by the lines of the captured
// Guide text (finished with capture_finish once the Event file's end is
// reached, and at the latest before the summary), the Weekday lines
// normalised with services and the events filtered by the Filter list.
// Each event accepted becomes the Last shown text. True when the Event file
// was replaced by its converted version.
[[nodiscard]] bool convert_event_file(RunState& run, const ServiceNames& services,
                                      const std::vector<Text>& filter_list, Capture& capture, Text& last_shown);
