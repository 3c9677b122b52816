// Taking the clipboard's Guide text for the conversion.
#pragma once

#include "core/normalise.h"
#include "steps/run_state.h"
#include "ui/window.h"

struct Capture {
    // The Guide text held at least one Guide block (a Weekday line): only
    // then, once the conversion has stored it in the Event file, did the
    // run take anything from the clipboard.
    bool guide_blocks = false;
    // The Guide text after Capture normalisation: the lines the conversion
    // reads after the Event file's, as if they had been appended to it
    // (spaces at the end of a line, or after the last line end, are dropped
    // there as in the file).
    Text guide_text;
    // What was read from the clipboard (without its text), to tell at the
    // end whether the clipboard still holds it.
    ClipboardReading reading;
};

// Takes the Guide text and normalises it. A clipboard that cannot be read
// within CLIPBOARD_WAIT_MS is a failed step and counts as empty; one that
// holds no Guide block is said in the run's summary.
[[nodiscard]] Capture capture_guide_text(RunState& run, const ServiceNames& services);
