#include "app/main_sequence.h"

#include <cstdio>
#include <new>

#include "base/codepage.h"
#include "core/normalise.h"
#include "fs/file.h"
#include "steps/capture.h"
#include "steps/conversion.h"
#include "steps/end_of_run.h"
#include "steps/event_file.h"
#include "steps/lists.h"
#include "steps/run_state.h"
#include "steps/views.h"

namespace {

// Says that another run holds what this one needs, in a message box (in
// the desktop's language) and on stderr, and ends the run without having
// changed anything.
void refuse_busy(const char* what, const Path& path) {
    const Text said = Text("TELVOR is already running ") + what + ":";
    std::fprintf(stderr, "telvor: %s %s\n", said.c_str(), path.native.c_str());
    show_stop_message(g_run.version_text, translate(said) + "\n" + path_display(path));
    run_set_exit_status(EXIT_BUSY);
}

// Shows why the run leaves a folder it cannot lock (locking) or the Event
// file alone (said on stderr already): the run ends without having changed
// anything.
void refuse_unusable(bool locking) {
    const Text reason = translate(cp1252_from_utf8_or_cp1252(file_failure_plain_reason(g_run.event_file_path)));
    const Text text =
        locking ? translate("TELVOR cannot lock this folder and leaves it alone:") + "\n" +
                      path_display(file_failure_path()) + "\n" + reason + "\n" +
                      translate("TELVOR must be able to read and write the folder.")
                : translate("TELVOR leaves this Event file alone:") + "\n" + g_run.event_file_name + "\n" + reason;
    show_stop_message(g_run.version_text, text);
}

void main_sequence() {
    switch (folder_lock(g_run.program_directory)) {
    case FOLDER_BUSY:
        refuse_busy("in this folder", g_run.program_directory);
        return;
    case FOLDER_FAILED:
        run_file_step_failed("lock the folder", g_run.program_directory);
        refuse_unusable(true);
        return;
    default:
        break;
    }
    g_run.program_directory_claimed = true;
    g_run.main_window_is_open = main_window_open() != 0;
    if (!g_run.main_window_is_open) {
        // Without a window there are no views and no Close event to wait
        // for: the question is asked (it answers Cancel where nothing can
        // be shown), and the run ends after it with the clipboard untouched.
        std::fprintf(stderr, "telvor: the main window could not be opened: %s\n",
                     window_failure_reason().c_str());
        run_set_exit_status(EXIT_NO_DISPLAY);
        ask_end_of_run_question();
        return;
    }

    views_create();
    read_filter_file();
    read_service_file();

    const Choice choice = choose_event_file();
    switch (choice) {
    case Choice::cancelled:
    case Choice::refused:  // the box said why
        return;
    case Choice::busy:
        refuse_busy("on this Event file", g_run.event_file_path);
        return;
    case Choice::lock_failed:
    case Choice::restore_failed:
        refuse_unusable(choice == Choice::lock_failed);
        return;
    case Choice::chosen:
        break;
    }
    // The Service list made ready once for the capture and the conversion.
    const ServiceNames services = service_names_prepare(g_run.service_list);
    const bool guide_text_taken = capture_guide_text(services);
    const bool guide_text_converted = convert_event_file(services);
    ask_end_of_run_question();
    if (g_run.end_of_run_answer == ANSWER_CANCEL) return;

    // What the user copied is dropped only once it is stored and converted;
    // Guide text left unconverted in the Event file does not survive a
    // Marking pass, and text that held no Guide block was not used at all.
    // Whatever was copied after the capture stays.
    if (guide_text_taken && guide_text_converted)
        clipboard_clear_if_holding(g_run.clipboard_capture, CLIPBOARD_WAIT_MS);
    while (window_wait_event() != WINDOW_EVENT_CLOSE) {
    }
}

// Memory ran out: every slot is closed and the working files go. The Event
// file holds its old content or a whole new one, or waits in a journal
// beside it that the next run puts back; the clipboard is kept.
void end_out_of_memory() {
    file_close_all();
    // Working files under these names are this run's only while it holds
    // the Program directory.
    if (g_run.program_directory_claimed) {
        file_delete(g_run.clipboard_copy_path);
        file_delete(g_run.data_file_path);
    }
    std::fputs("telvor: out of memory; the run stopped, the Event file is whole\n", stderr);
    g_run.exit_status = EXIT_OUT_OF_MEMORY;
    if (!g_run.main_window_is_open) return;
    try {
        show_stop_message(g_run.version_text, "TELVOR ran out of memory and stopped.");
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace

int telvor_run(WindowServices& services) {
    window_services_install(&services);
    try {
        run_start_up();
        main_sequence();
    } catch (const std::bad_alloc&) {
        end_out_of_memory();
    }
    file_close_all();  // shutdown; the caller releases the window
    folder_locks_release();
    window_services_install(nullptr);
    return g_run.exit_status;
}
