// The End-of-run question and the Marking pass.
#pragma once

#include <string_view>

#include "base/text.h"

// Shows the run's failed steps, asks whether the rest of the list is to be
// marked, keeps the answer as the End-of-run answer and runs the Marking
// pass on Yes (showing the steps of it that failed).
void ask_end_of_run_question();
// Marks every Event line of the Event file whose Mark field is empty with
// " + ", drops every line that is not part of an Event record, and shows
// the Event lines in the emptied Event view.
void marking_pass();
// An Event line with its Mark field marked: the line itself when there is
// nothing to mark, else the marked line, kept in marked.
std::string_view mark_event_line(std::string_view event_line, Text& marked);
