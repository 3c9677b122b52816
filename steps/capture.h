// Taking the clipboard's Guide text for the conversion.
#pragma once

#include <future>
#include <utility>

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
    // The normalisation under way beside the run, until capture_finish
    // takes its result: the text, and whether it holds a Guide block.
    std::future<std::pair<Text, bool>> normalising;
};

// Takes the Guide text and starts its normalisation on a thread of its own
// (where none can be started, capture_finish does it). A clipboard that
// cannot be read within CLIPBOARD_WAIT_MS is a failed step and counts as
// empty.
[[nodiscard]] Capture capture_guide_text(RunState& run, const ServiceNames& services);
// Waits for the normalisation: guide_text and guide_blocks are then set, and
// a clipboard that held no Guide block is said in the run's summary.
// Nothing more the second time.
void capture_finish(RunState& run, Capture& capture);
