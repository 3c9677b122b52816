// Which events survive a run, and how an accepted event is stored, written
// and shown.
//
// Event line: characters 1-11 Date part, 12-16 Start time, 17-19 Mark field
// ("   " not marked, " + " marked), 20 onward Event text. An Event record is
// the Event line, the Genre line, the Description line and an empty line.
#pragma once

#include "runtime/text.h"

enum : int {
    EVENT_TEXT_START = 20,
    EVENT_TEXT_COMPARED = 200,  // characters of the Event text that make a repeat
};

// Readies the two tests for a conversion: the Filter test's lookup is built
// from Filter list entries 0 .. Filter count - 1, and no event is stored yet.
void event_tests_prepare();
// Hit when the Event text begins with a Filter term (exact, case-sensitive).
bool filter_test(const Text& event_line);
// Hit when the first 200 characters of the Event text equal those of an
// event already accepted in this run; an Event line without Event text
// always hits.
bool repeat_test(const Text& event_line);
// Stores the line in the Event store, writes it to the data file, shows its
// first 130 characters in the Event view and makes it the Last shown text.
void accept_event(const Text& event_line);
void advance_slot_index();
// The Event line test: "." at character 3 and ":" at character 14.
bool is_event_line(const Text& line);
