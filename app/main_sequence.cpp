#include "app/main_sequence.h"

#include <cstdio>
#include <new>
#include <utility>

#include "base/codepage.h"
#include "core/normalise.h"
#include "fs/file.h"
#include "fs/folders.h"
#include "steps/capture.h"
#include "steps/conversion.h"
#include "steps/end_of_run.h"
#include "steps/event_file.h"
#include "steps/lists.h"
#include "steps/run_state.h"
#include "steps/views.h"
#include "sys/os.h"

namespace {

// An Event file from which on a run readies large pages for its memory.
constexpr std::uint64_t LARGE_EVENT_FILE = std::uint64_t{16} << 20;

// Says that another run holds what this one needs, in a message box (in
// the desktop's language) and on stderr, and ends the run without having
// changed anything.
void refuse_busy(RunState& run, const char* what, const Path& path) {
    const Text said = Text("TELVOR is already running ") + what + ":";
    std::fprintf(stderr, "telvor: %s %s\n", said.c_str(), path.native.c_str());
    show_stop_message(VERSION_TEXT, translate(said) + "\n" + path_display(path));
    run_set_exit_status(run, EXIT_BUSY);
}

// Shows why the run leaves a folder it cannot lock (locking) or the Event
// file alone (said on stderr already): the run ends without having changed
// anything.
void refuse_unusable(const RunState& run, bool locking, const Failure& failure) {
    const Text reason = translate(cp1252_from_utf8_or_cp1252(failure_plain_reason(failure, run.event_file_path)));
    const Text text =
        locking ? translate("TELVOR cannot lock this folder and leaves it alone:") + "\n" +
                      path_display(Path{failure.path}) + "\n" + reason + "\n" +
                      translate("TELVOR must be able to read and write the folder.")
                : translate("TELVOR leaves this Event file alone:") + "\n" + run.event_file_name + "\n" + reason;
    show_stop_message(VERSION_TEXT, text);
}

void main_sequence(RunState& run) {
    ClaimResult claimed = folder_lock(run.program_directory);
    switch (claimed.claim) {
    case Claim::busy:
        refuse_busy(run, "in this folder", run.program_directory);
        return;
    case Claim::failed:
        run_step_failed(run, "lock the folder", run.program_directory, claimed.failure);
        refuse_unusable(run, true, claimed.failure);
        return;
    case Claim::claimed:
        break;
    }
    run.program_directory_claimed = true;
    // The text the views were last scrolled to, from step to step.
    Text last_shown;
    run.main_window_is_open = main_window_open() != 0;
    if (!run.main_window_is_open) {
        // Without a window there are no views and no Close event to wait
        // for: the question is asked (it answers Cancel where nothing can
        // be shown), and the run ends after it with the clipboard untouched.
        std::fprintf(stderr, "telvor: the main window could not be opened: %s\n",
                     window_failure_reason().c_str());
        run_set_exit_status(run, EXIT_NO_DISPLAY);
        (void)ask_end_of_run_question(run, last_shown);
        return;
    }

    views_create();
    const std::vector<Text> filter_list = read_filter_file(run, last_shown);
    const std::vector<Text> service_list = read_service_file(run, last_shown);

    const Chosen chosen = choose_event_file(run);
    switch (chosen.choice) {
    case Choice::cancelled:
    case Choice::refused:  // the box said why
        return;
    case Choice::busy:
        refuse_busy(run, "on this Event file", run.event_file_path);
        return;
    case Choice::lock_failed:
    case Choice::restore_failed:
        refuse_unusable(run, chosen.choice == Choice::lock_failed, chosen.failure);
        return;
    case Choice::chosen:
        break;
    }
    // A large Event file: its run holds its events' texts and tables.
    if (os::Info info; os::path_info(run.event_file_path.native, info) && info.size >= LARGE_EVENT_FILE)
        os::prepare_large_memory(info.size);
    // The Service list made ready once for the capture and the conversion.
    const ServiceNames services = service_names_prepare(service_list);
    Capture capture = capture_guide_text(run, services);
    const bool guide_text_converted =
        convert_event_file(run, services, filter_list, capture, last_shown);
    if (ask_end_of_run_question(run, last_shown) == ANSWER_CANCEL) return;

    // What the user copied is dropped only once it is converted and stored
    // in the Event file; text that held no Guide block was not used at all.
    // Whatever was copied after the capture stays.
    if (capture.guide_blocks && guide_text_converted) clipboard_clear_if_holding(capture.reading, CLIPBOARD_WAIT_MS);
    while (window_wait_event() != WINDOW_EVENT_CLOSE) {
    }
}

// Memory ran out: every slot is closed and the working file goes. The Event
// file holds its old content or a whole new one, or waits in a journal
// beside it that the next run puts back; the clipboard is kept.
void end_out_of_memory(RunState& run) {
    file_close_all();
    // A working file under that name is this run's only while it holds the
    // Program directory.
    if (run.program_directory_claimed) (void)file_delete(run.data_file_path);
    std::fputs("telvor: out of memory; the run stopped, the Event file is whole\n", stderr);
    run.exit_status = EXIT_OUT_OF_MEMORY;
    if (!run.main_window_is_open) return;
    try {
        show_stop_message(VERSION_TEXT, "TELVOR ran out of memory and stopped.");
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace

int telvor_run(WindowServices& services, const std::vector<std::string>& parameters) {
    window_services_install(&services);
    RunState run;
    try {
        run.parameters = parameters;
        if (run_start_up(run))
            main_sequence(run);
        else
            run_show_failed_steps(run);  // before anything is claimed
    } catch (const std::bad_alloc&) {
        end_out_of_memory(run);
    }
    file_close_all();  // shutdown; the caller releases the window
    folder_locks_release();
    window_services_install(nullptr);
    return run.exit_status;
}
