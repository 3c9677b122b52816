// The End-of-run question and the Marking pass.
#pragma once

#include "base/text.h"
#include "steps/run_state.h"

// Shows the run's notices and failed steps, asks whether the rest of the
// list is to be marked, and runs the Marking pass on Yes (showing the steps
// of it that failed). Returns the End-of-run answer (a button code).
[[nodiscard]] int ask_end_of_run_question(RunState& run, Text& last_shown);
// Marks every Event line of the Event file whose Mark field is empty with
// " + ", drops every line that is not part of an Event record, and shows
// the Event lines in the emptied Event view; the last of them becomes the
// Last shown text.
void marking_pass(RunState& run, Text& last_shown);
