#include "convert/capture.h"

#include "app/run_state.h"
#include "app/views.h"
#include "convert/event_file.h"
#include "convert/events.h"
#include "convert/normalise.h"
#include "runtime/file.h"
#include "runtime/window.h"

bool capture_guide_text() {
    const Text guide_text = capture_normalisation(clipboard_get_text());

    bool readable = false;
    bool written_completely = false;
    if (file_open_read(EVENT_SLOT, run.event_file_path)) {
        readable = true;
        // Without a working file the Event file stays open until the
        // conversion opens it again.
        if (file_create_private(DATA_SLOT, run.clipboard_copy_path)) {
            while (!file_at_end(EVENT_SLOT)) copy_trimmed_line(EVENT_SLOT, DATA_SLOT);
            file_write_line(DATA_SLOT, text_trim_right(guide_text));
            const bool read_completely = file_close(EVENT_SLOT) != 0;
            written_completely = file_close(DATA_SLOT) != 0 && read_completely;
        }
    }
    const bool stored = replace_event_file(run.clipboard_copy_path, written_completely);

    event_view_head_lines();
    if (!readable)
        event_view_failure_lines("Not reading...");
    else if (!stored)
        event_view_failure_lines("Not writing...");
    return stored;
}
