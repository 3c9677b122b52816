// Appending the clipboard's Guide text to the Event file.
#pragma once

#include "core/normalise.h"

// Takes the Guide text, normalises it, writes the Event file's lines and
// then the Guide text to TELVOR.CLP, puts that in place of the Event file
// and shows the Event view's head lines. A clipboard that cannot be read
// within CLIPBOARD_WAIT_MS is a failed step and counts as empty; the
// reading stays in the run state (g_run.clipboard_capture). True when the
// Guide text held at least one Guide block (a Weekday line) and is now
// stored in the Event file: only then did the run take anything from the
// clipboard.
bool capture_guide_text(const ServiceNames& services);
