// Appending the clipboard's Guide text to the Event file.
#pragma once

#include "core/normalise.h"
#include "steps/run_state.h"
#include "ui/window.h"

struct Capture {
    // The Guide text held at least one Guide block (a Weekday line) and is
    // now stored in the Event file: only then did the run take anything
    // from the clipboard.
    bool taken = false;
    // What was read from the clipboard (without its text), to tell at the
    // end whether the clipboard still holds it.
    ClipboardReading reading;
};

// Takes the Guide text, normalises it, writes the Event file's lines and
// then the Guide text to TELVOR.CLP, puts that in place of the Event file
// and shows the Event view's head lines. A clipboard that cannot be read
// within CLIPBOARD_WAIT_MS is a failed step and counts as empty.
[[nodiscard]] Capture capture_guide_text(RunState& run, const ServiceNames& services);
