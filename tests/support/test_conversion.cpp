// The conversion step run on its own (support/test_support.h).
#include <filesystem>

#include "fs/file.h"
#include "fs/folders.h"
#include "steps/capture.h"
#include "steps/conversion.h"
#include "steps/end_of_run.h"
#include "steps/event_file.h"
#include "steps/run_state.h"
#include "steps/views.h"
#include "support/scripted_window.h"
#include "support/test_support.h"

using Way = ConversionWay;

Converted convert(Way way, const std::string& folder, const std::string& event_file, const Text& clipboard,
                  const std::vector<Text>& filter_list, const std::vector<Text>& service_list) {
    ScriptedWindow window;
    window.clipboard_has_text = true;
    window.clipboard = clipboard;
    window_services_install(&window);
    (void)main_window_open();
    views_create();
    RunState run;
    run_set_program_directory(run, Path{folder});
    run_set_event_file(run, Path{folder + "events.telvor"});
    write_bytes(run.event_file_path.native, event_file);
    const ServiceNames services = service_names_prepare(service_list);
    Capture capture = capture_guide_text(run, services);
    capture_finish(run, capture);
    Text guide_text = capture.guide_text;
    Converted result;
    if (way == Way::marking) {
        marking_pass(run, result.last_shown);
    } else {
        if (way == Way::two_steps && pass_begin(run, run.clipboard_copy_path) == PassStart::open) {
            file_copy_lines(EVENT_SLOT, DATA_SLOT, -1);
            file_write_line(DATA_SLOT, text_trim_right(guide_text));
            (void)pass_end(run, run.clipboard_copy_path);
        }
        Capture taken;  // finished: the Guide text, or none after the two steps
        if (way == Way::one_pass) taken.guide_text = std::move(guide_text);
        (void)convert_event_file(run, services, filter_list, taken, result.last_shown);
    }
    file_close_all();
    folder_locks_release();
    window_services_install(nullptr);
    result.event_file = read_bytes(run.event_file_path.native);
    result.view = window.lines_of(EVENT_VIEW);
    result.summary = run.summary_lines;
    result.status = run.exit_status;
    std::filesystem::remove(run.event_file_path.native);
    return result;
}
