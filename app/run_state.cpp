#include "app/run_state.h"

#include "runtime/file.h"

RunState run;

const char* const VERSION_TEXT = "TELVOR Version 0.38w (x86)";
const char* const WINDOW_TITLE_TAIL = " - DreamBox Gemini Project Image e1 + e2 - I-Explorer, FireFox, Opera";
const char* const AUTHOR_CREDIT_LINE = "TELVOR - made by the TELVOR developers";

void run_start_up() {
    run = RunState{};

    run.list_capacity = LIST_CAPACITY;
    run.event_store_capacity = EVENT_STORE_CAPACITY;
    run.slot_index = 0;
    run.filter_count = 0;
    run.service_count = 0;
    run.event_file_path = "";

    // The current directory, ending in the separator; a root keeps its single one.
    const Text separator = directory_separator();
    run.program_directory = directory_get_current();
    if (text_right(run.program_directory, text_length(separator)) != separator)
        run.program_directory += separator;

    run.clipboard_copy_path = run.program_directory + "TELVOR.CLP";
    run.data_file_path = run.program_directory + "TELVOR.DAT";
    run.filter_file_path = run.program_directory + "TELVOR.filter";
    run.service_file_path = run.program_directory + "TELVOR.service";

    run.version_text = VERSION_TEXT;
    run.separator_line = Text(SEPARATOR_LENGTH, '=');
    run.author_credit_line = AUTHOR_CREDIT_LINE;

    directory_set_current(run.program_directory);

    run.filter_list.assign(static_cast<size_t>(run.list_capacity) + 1, Text());
    run.event_store.assign(static_cast<size_t>(run.event_store_capacity) + 1, Text());
    run.service_list.assign(static_cast<size_t>(run.list_capacity) + 1, Text());
}
