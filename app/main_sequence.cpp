#include "app/main_sequence.h"

#include <cstdio>

#include "app/run_state.h"
#include "app/views.h"
#include "convert/capture.h"
#include "convert/conversion.h"
#include "convert/end_of_run.h"
#include "convert/event_file.h"
#include "lists/lists.h"
#include "runtime/file.h"

namespace {

void main_sequence() {
    if (!main_window_open()) {
        // Without a window there are no views and no Close event to wait
        // for: the question is asked (it answers Cancel where nothing can
        // be shown), and the run ends after it with the clipboard untouched.
        std::fprintf(stderr, "telvor: the main window could not be opened: %s\n",
                     window_failure_reason().c_str());
        ask_end_of_run_question();
        return;
    }

    views_create();                                       // S1
    read_filter_file();                                   // S2
    read_service_file();
    if (!choose_event_file()) return;                     // S3: dialog cancelled
    const bool guide_text_stored = capture_guide_text();  // S4
    const bool guide_text_converted = convert_event_file();  // S5 to S7
    if (ask_end_of_run_question() == ANSWER_CANCEL) return;  // S8

    // S9: what the user copied is dropped only once it is stored and
    // converted; Guide text left unconverted in the Event file does not
    // survive a Marking pass.
    if (guide_text_stored && guide_text_converted) clipboard_clear();
    while (window_wait_event() != WINDOW_EVENT_CLOSE) {
    }
}

}  // namespace

int telvor_run(WindowServices& services) {
    window_services_install(&services);
    run_start_up();
    main_sequence();
    file_close_all();  // S10; the caller releases the window
    window_services_install(nullptr);
    return 0;
}
