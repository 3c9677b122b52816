#include "convert/event_file.h"

#include "app/run_state.h"
#include "app/views.h"
#include "convert/events.h"
#include "runtime/date.h"
#include "runtime/file.h"
#include "runtime/window.h"

namespace {

const char* const DIALOG_TITLE = "Bitte Datei zum Laden ausw\xE4hlen";
const char* const DIALOG_PATTERN = "Dateien (*.telvor)|*.telvor";
const char* const EXTENSION = ".telvor";

bool file_exists(const Text& path) {
    const bool exists = file_open_read(PROBE_SLOT, path) != 0;
    file_close(PROBE_SLOT);
    return exists;
}

void write_new_file_header() {
    file_create(DATA_SLOT, run.event_file_path);
    file_write_line(DATA_SLOT, creation_line(run.event_file_path, date_now()));
    file_write_line(DATA_SLOT, "Genre: created... ");
    file_write_line(DATA_SLOT, "Description created... ");
    file_write_line(DATA_SLOT, "");
    file_close(DATA_SLOT);
}

}  // namespace

Text creation_line(const Text& event_file_path, long long now) {
    return date_format("%dd.%mm.%yyyy %hh:%ii", now) + " -- >>> " + text_upper(event_file_path) +
           " <<< -- File new created... ";
}

bool choose_event_file() {
    run.event_file_path = program_parameter(0);
    if (!run.event_file_path.empty()) return true;

    const Text chosen = choose_file_to_open(DIALOG_TITLE, run.program_directory + "*.telvor",
                                            DIALOG_PATTERN, 0);
    if (chosen.empty()) return false;
    run.event_file_path = chosen;
    if (file_exists(run.event_file_path)) return true;

    if (text_lower(text_right(run.event_file_path, 7)) != EXTENSION) {
        run.event_file_path += EXTENSION;
        // A typed name whose ".telvor" file exists already means that file:
        // it is used as it is and never overwritten by a header.
        if (file_exists(run.event_file_path)) return true;
    }
    write_new_file_header();
    return true;
}

bool replace_event_file(const Text& working_path, bool written_completely) {
    const bool replaced = written_completely && file_copy(working_path, run.event_file_path) != 0;
    file_delete(working_path);
    return replaced;
}

void read_trimmed_line(int slot, Text& line) {
    file_read_line_into(slot, line);
    const std::size_t kept = line.find_last_not_of(' ');
    line.resize(kept == Text::npos ? 0 : kept + 1);
}

void copy_trimmed_line(int from_slot, int to_slot) {
    static Text line;  // its storage serves every line copied
    read_trimmed_line(from_slot, line);
    file_write_line(to_slot, line);
}

bool begin_data_file_pass() {
    if (!file_open_read(EVENT_SLOT, run.event_file_path)) {
        event_view_failure_lines("Not reading...");
        return false;
    }
    if (!file_create_private(DATA_SLOT, run.data_file_path)) {
        // Whatever lies under the working file's name is not this run's and
        // never replaces the Event file; the Event file stays open until
        // shutdown or the next pass.
        replace_event_file(run.data_file_path, false);
        event_view_failure_lines("Not writing...");
        return false;
    }
    return true;
}

bool end_data_file_pass() {
    const bool read_completely = file_close(EVENT_SLOT) != 0;
    const bool written_completely = file_close(DATA_SLOT) != 0 && read_completely;
    const bool replaced = replace_event_file(run.data_file_path, written_completely);
    if (replaced)
        event_view_closing_lines();
    else
        event_view_failure_lines("Not writing...");
    view_show_last_shown(EVENT_VIEW);
    return replaced;
}
