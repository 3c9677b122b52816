#include "steps/event_file.h"

#include <cstdio>
#include <vector>

#include "base/codepage.h"
#include "fs/file.h"
#include "steps/run_state.h"
#include "steps/views.h"
#include "sys/clock.h"
#include "ui/window.h"

namespace {

const char* const DIALOG_TITLE = "Bitte Datei zum Laden ausw\xE4hlen";
const char* const DIALOG_PATTERN = "Dateien (*.telvor)|*.telvor";
const char* const EXTENSION = ".telvor";

// Whether the Event file is one of the files TELVOR keeps in its Program
// directory, under any name that leads to it.
bool is_own_file(const Path& path) {
    for (const Path* own : {&g_run.filter_file_path, &g_run.service_file_path,
                            &g_run.clipboard_copy_path, &g_run.data_file_path})
        if (file_same(path, *own)) return true;
    return false;
}

// Whether an editor has the Event file open: its copy, saved later, would
// undo the run. Then (or where that cannot be told) a box says so, and the
// run leaves everything as it is. Swap and lock files of editors that no
// longer run are only mentioned.
bool open_in_editor() {
    std::vector<EditorFile> editors;
    if (!file_editors_find(g_run.event_file_path, editors)) {
        run_file_step_failed("look for editors' files beside", g_run.event_file_path);
        run_show_failed_steps();
        return true;
    }
    const EditorFile* live = nullptr;
    for (const EditorFile& editor : editors) {
        if (editor.live) {
            if (live == nullptr) live = &editor;
        } else {
            std::fprintf(stderr, "telvor: %s: left by %s, whose process %llu no longer runs; going on\n",
                         editor.path.native.c_str(), editor.editor.c_str(), editor.process);
        }
    }
    if (live == nullptr) return false;
    std::fprintf(stderr, "telvor: %s is open in %s (%s); save and close it there first\n",
                 g_run.event_file_path.native.c_str(), live->editor.c_str(), live->path.native.c_str());
    Text text = translate("TELVOR leaves this Event file alone:") + "\n" + g_run.event_file_name + "\n";
    if (live->editor == "another program")
        text += translate("Another program has it open.") + "\n" +
                translate("Save and close the file there first, then start TELVOR again.");
    else
        text += fill_in(translate("%1 has it open (found %2)."), {live->editor, path_display(live->path)}) + "\n" +
                fill_in(translate("Save and close the file in %1 first, then start TELVOR again."), {live->editor});
    run_set_exit_status(EXIT_STEP_FAILED);
    show_stop_message(g_run.version_text, text);
    return true;
}

// A phrase of the file layer ("it cannot be read: REASON") or an account's
// name in the desktop's language and Windows-1252; the system's reason
// stays as it is.
Text phrase(const std::string& english) {
    const Text text = cp1252_from_utf8_or_cp1252(english);
    const std::size_t colon = text.find(": ");
    if (colon == std::string::npos) return translate(text);
    return translate(text.substr(0, colon)) + text.substr(colon);
}

const char* const RESTORED = "The last run on %1 was interrupted. Its old content was put back from %2.";
const char* const STRANGER_JOURNAL =
    "The last run by %1 on %2 was interrupted, and its journal %3 belongs to %1. "
    "TELVOR leaves %2 alone until %1 runs TELVOR on it again or %3 is removed.";
const char* const UNFIT_JOURNAL =
    "%1 has the name of the journal of %2, but %3. TELVOR leaves %2 alone until %1 is removed.";

// Says one thing on stderr (in English, the paths as the system gives
// them) and in a message box (in the desktop's language): now, or, for a
// notice, before the question. values: paths, and phrases where is_path
// is false.
void say(const char* pattern, const std::vector<std::string>& values, const std::vector<bool>& is_path, bool notice) {
    std::vector<Text> plain, shown;
    for (std::size_t i = 0; i < values.size(); ++i) {
        plain.push_back(values[i]);
        shown.push_back(is_path[i] ? path_display(Path{values[i]}) : phrase(values[i]));
    }
    std::fprintf(stderr, "telvor: %s\n", fill_in(pattern, plain).c_str());
    const Text text = fill_in(translate(pattern), shown);
    if (notice)
        g_run.notices.push_back(text);
    else
        show_stop_message(g_run.version_text, text);
}

// A working file's name that is another name of the Event file is what a
// power cut right after a replacement by rename can leave behind: that
// name goes, and the Event file keeps its own.
void remove_working_names_of_event_file() {
    for (const Path* working : {&g_run.clipboard_copy_path, &g_run.data_file_path}) {
        if (!file_is_other_name(*working, g_run.event_file_path)) continue;
        if (file_delete(*working))
            std::fprintf(stderr, "telvor: %s was a second name of %s, left by an interrupted run; it was removed\n",
                         working->native.c_str(), g_run.event_file_path.native.c_str());
    }
}

// Claims the folder of the Event file and the file itself for this run,
// leaves a file open in an editor alone, clears them of what replacements
// killed midway left, and puts back the old content of a rewrite in place
// that was interrupted.
Choice claim_event_file() {
    switch (folder_lock_of_file(g_run.event_file_path)) {
    case FOLDER_BUSY:
        return Choice::busy;
    case FOLDER_FAILED:
        run_file_step_failed("lock the folder", g_run.event_file_path);
        return Choice::lock_failed;
    default:
        break;
    }
    if (open_in_editor()) return Choice::refused;
    remove_working_names_of_event_file();
    const Recovery recovery = file_recover(g_run.event_file_path);
    const std::string& file = g_run.event_file_path.native;
    const std::string& journal = recovery.journal.native;
    switch (recovery.outcome) {
    case Recovery::Outcome::none:
        break;
    case Recovery::Outcome::restored:
        say(RESTORED, {file, journal}, {true, true}, true);
        break;
    case Recovery::Outcome::refused:
        if (!recovery.stranger.empty())
            say(STRANGER_JOURNAL, {recovery.stranger, file, journal}, {false, true, true}, false);
        else
            say(UNFIT_JOURNAL, {journal, file, recovery.why}, {true, true, false}, false);
        run_set_exit_status(EXIT_STEP_FAILED);
        return Choice::refused;
    case Recovery::Outcome::failed:
        run_file_step_failed("restore the old content of", g_run.event_file_path);
        return Choice::restore_failed;
    }
    return Choice::chosen;
}

void write_new_file_header() {
    if (!file_create(DATA_SLOT, g_run.event_file_path)) return;
    file_write_line(DATA_SLOT, creation_line(g_run.event_file_name, date_now()));
    file_write_line(DATA_SLOT, "Genre: created... ");
    file_write_line(DATA_SLOT, "Description created... ");
    file_write_line(DATA_SLOT, "");
    // A header that did not reach the disk whole is no Event file.
    if (file_close(DATA_SLOT)) return;
    run_step_failed("write", g_run.event_file_path);
    file_delete(g_run.event_file_path);
}

}  // namespace

Text creation_line(const Text& event_file_name, DateValue now) {
    return date_format("%dd.%mm.%yyyy %hh:%ii", now) + " -- >>> " + text_upper(event_file_name) +
           " <<< -- File new created... ";
}

Choice choose_event_file() {
    const Path parameter = program_parameter(0);
    if (!parameter.empty()) {
        run_set_event_file(parameter);
        return claim_event_file();
    }

    const Path chosen = choose_file_to_open(
        DIALOG_TITLE, path_append(g_run.program_directory, "*.telvor"), DIALOG_PATTERN, 0);
    if (chosen.empty()) return Choice::cancelled;
    run_set_event_file(chosen);
    if (const Choice claimed = claim_event_file(); claimed != Choice::chosen) return claimed;
    // Whatever stands under the name is used as it is, readable or not: only
    // a name under which nothing exists is new.
    if (file_entry_exists(g_run.event_file_path)) return Choice::chosen;

    if (!text_equal(text_lower(text_right(g_run.event_file_path.native, 7)), EXTENSION)) {
        run_set_event_file(path_append(g_run.event_file_path, EXTENSION));
        // A typed name whose ".telvor" file exists already means that file:
        // it is used as it is and never overwritten by a header. The name
        // may lead into another folder, which is claimed as well.
        if (const Choice claimed = claim_event_file(); claimed != Choice::chosen) return claimed;
        if (file_entry_exists(g_run.event_file_path)) return Choice::chosen;
    }
    if (!is_own_file(g_run.event_file_path)) write_new_file_header();
    return Choice::chosen;
}

bool event_file_open_read() {
    if (is_own_file(g_run.event_file_path)) {
        file_close(EVENT_SLOT);
        file_set_failure_reason("it is one of TELVOR's own files in the Program directory");
        return false;
    }
    return file_open_read(EVENT_SLOT, g_run.event_file_path) != 0;
}

bool replace_event_file(const Path& working_path, bool written_completely) {
    if (written_completely && file_replace(working_path, g_run.event_file_path))
        return true;
    // The failure names the file it concerned: the Event file, or the
    // working file, journal or folder the replacement failed on.
    if (written_completely) run_file_step_failed("replace", g_run.event_file_path);
    file_delete(working_path);
    return false;
}

bool begin_data_file_pass() {
    if (!event_file_open_read()) {
        run_step_failed("read", g_run.event_file_path);
        event_view_failure_lines("Not reading...");
        return false;
    }
    if (!file_create_working(DATA_SLOT, g_run.data_file_path)) {
        // The Event file stays open until shutdown or the next pass.
        run_step_failed("create", g_run.data_file_path);
        event_view_failure_lines("Not writing...");
        return false;
    }
    return true;
}

bool end_data_file_pass() {
    const bool read_completely = file_close(EVENT_SLOT) != 0;
    if (!read_completely) run_step_failed("read", g_run.event_file_path);
    const bool written = file_close(DATA_SLOT) != 0;
    if (!written) run_step_failed("write", g_run.data_file_path);
    const bool replaced = replace_event_file(g_run.data_file_path, read_completely && written);
    if (replaced)
        event_view_closing_lines();
    else
        event_view_failure_lines("Not writing...");
    view_show_last_shown(EVENT_VIEW);
    return replaced;
}
