#include "steps/event_file.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/codepage.h"
#include "fs/editor_files.h"
#include "fs/file.h"
#include "fs/folders.h"
#include "fs/replace.h"
#include "steps/views.h"
#include "sys/clock.h"
#include "ui/window.h"

namespace {

const char* const DIALOG_TITLE = "Bitte Datei zum Laden ausw\xE4hlen";
const char* const DIALOG_PATTERN = "Dateien (*.telvor)|*.telvor";
const char* const EXTENSION = ".telvor";

// Whether the Event file is one of the files TELVOR keeps in its Program
// directory, under any name that leads to it.
bool is_own_file(const RunState& run, const Path& path) {
    for (const Path* own : {&run.filter_file_path, &run.service_file_path, &run.clipboard_copy_path,
                            &run.data_file_path})
        if (file_same(path, *own)) return true;
    return false;
}

// Whether an editor has the Event file open: its copy, saved later, would
// undo the run. Then (or where that cannot be told) a box says so, and the
// run leaves everything as it is. Swap and lock files of editors that no
// longer run are only mentioned.
bool open_in_editor(RunState& run) {
    std::vector<EditorFile> editors;
    if (FileResult looked = file_editors_find(run.event_file_path, editors); !looked) {
        run_step_failed(run, "look for editors' files beside", run.event_file_path, looked.failure());
        run_show_failed_steps(run);
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
                 run.event_file_path.native.c_str(), live->editor.c_str(), live->path.native.c_str());
    Text text = translate("TELVOR leaves this Event file alone:") + "\n" + run.event_file_name + "\n";
    if (live->editor == "another program")
        text += translate("Another program has it open.") + "\n" +
                translate("Save and close the file there first, then start TELVOR again.");
    else
        text += fill_in(translate("%1 has it open (found %2)."), {live->editor, path_display(live->path)}) + "\n" +
                fill_in(translate("Save and close the file in %1 first, then start TELVOR again."), {live->editor});
    run_set_exit_status(run, EXIT_STEP_FAILED);
    show_stop_message(VERSION_TEXT, text);
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
void say(RunState& run, const char* pattern, const std::vector<std::string>& values, const std::vector<bool>& is_path,
         bool notice) {
    std::vector<Text> plain, shown;
    for (std::size_t i = 0; i < values.size(); ++i) {
        plain.push_back(values[i]);
        shown.push_back(is_path[i] ? path_display(Path{values[i]}) : phrase(values[i]));
    }
    std::fprintf(stderr, "telvor: %s\n", fill_in(pattern, plain).c_str());
    const Text text = fill_in(translate(pattern), shown);
    if (notice)
        run.notices.push_back(text);
    else
        show_stop_message(VERSION_TEXT, text);
}

// A working file's name that is another name of the Event file is what a
// power cut right after a replacement by rename can leave behind (TELVOR.CLP
// too, the capture's working file of earlier versions): that name goes, and
// the Event file keeps its own.
void remove_working_names_of_event_file(const RunState& run) {
    for (const Path* working : {&run.clipboard_copy_path, &run.data_file_path}) {
        if (!file_is_other_name(*working, run.event_file_path)) continue;
        if (file_delete(*working))
            std::fprintf(stderr, "telvor: %s was a second name of %s, left by an interrupted run; it was removed\n",
                         working->native.c_str(), run.event_file_path.native.c_str());
    }
}

// Claims the folder of the Event file and the file itself for this run,
// leaves a file open in an editor alone, clears them of what replacements
// killed midway left, and puts back the old content of a rewrite in place
// that was interrupted.
Chosen claim_event_file(RunState& run) {
    ClaimResult claimed = folder_lock_of_file(run.event_file_path);
    switch (claimed.claim) {
    case Claim::busy:
        return {Choice::busy, {}};
    case Claim::failed:
        run_step_failed(run, "lock the folder", run.event_file_path, claimed.failure);
        return {Choice::lock_failed, std::move(claimed.failure)};
    case Claim::claimed:
        break;
    }
    if (open_in_editor(run)) return {Choice::refused, {}};
    remove_working_names_of_event_file(run);
    Recovery recovery = file_recover(run.event_file_path);
    const std::string& file = run.event_file_path.native;
    const std::string& journal = recovery.journal.native;
    switch (recovery.outcome) {
    case Recovery::Outcome::none:
        break;
    case Recovery::Outcome::restored:
        say(run, RESTORED, {file, journal}, {true, true}, true);
        break;
    case Recovery::Outcome::refused:
        if (!recovery.stranger.empty())
            say(run, STRANGER_JOURNAL, {recovery.stranger, file, journal}, {false, true, true}, false);
        else
            say(run, UNFIT_JOURNAL, {journal, file, recovery.why}, {true, true, false}, false);
        run_set_exit_status(run, EXIT_STEP_FAILED);
        return {Choice::refused, {}};
    case Recovery::Outcome::failed:
        run_step_failed(run, "restore the old content of", run.event_file_path, recovery.failure);
        return {Choice::restore_failed, std::move(recovery.failure)};
    }
    return {};
}

// Creates the new Event file with the New-file header. Where it cannot be
// created, or the header does not reach the disk whole (no Event file
// then: it is removed again), the step fails, naming the file.
void write_new_file_header(RunState& run) {
    if (FileResult created = file_create(DATA_SLOT, run.event_file_path); !created) {
        run_step_failed(run, "create", run.event_file_path, created.failure());
        return;
    }
    file_write_line(DATA_SLOT, creation_line(run.event_file_name, date_now()));
    file_write_line(DATA_SLOT, "Genre: created... ");
    file_write_line(DATA_SLOT, "Description created... ");
    file_write_line(DATA_SLOT, "");
    if (FileResult written = file_close(DATA_SLOT); !written) {
        run_step_failed(run, "write", run.event_file_path, written.failure());
        (void)file_delete(run.event_file_path);
    }
}

}  // namespace

Text creation_line(const Text& event_file_name, DateValue now) {
    return date_format("%dd.%mm.%yyyy %hh:%ii", now) + " -- >>> " + text_upper(event_file_name) +
           " <<< -- File new created... ";
}

Chosen choose_event_file(RunState& run) {
    const Path parameter = program_parameter(run, 0);
    if (!parameter.empty()) {
        run_set_event_file(run, parameter);
        return claim_event_file(run);
    }

    const Path chosen = choose_file_to_open(DIALOG_TITLE, path_join(run.program_directory, "*.telvor"),
                                            DIALOG_PATTERN, 0);
    if (chosen.empty()) return {Choice::cancelled, {}};
    run_set_event_file(run, chosen);
    if (Chosen claimed = claim_event_file(run); claimed.choice != Choice::chosen) return claimed;
    // Whatever stands under the name is used as it is, readable or not: only
    // a name under which nothing exists is new.
    if (file_entry_exists(run.event_file_path)) return {};

    const int extension_length = static_cast<int>(std::strlen(EXTENSION));
    if (!text_equal(text_lower(text_right(run.event_file_path.native, extension_length)), EXTENSION)) {
        run_set_event_file(run, Path{run.event_file_path.native + EXTENSION});
        // A typed name whose ".telvor" file exists already means that file:
        // it is used as it is and never overwritten by a header. The name
        // may lead into another folder, which is claimed as well.
        if (Chosen claimed = claim_event_file(run); claimed.choice != Choice::chosen) return claimed;
        if (file_entry_exists(run.event_file_path)) return {};
    }
    if (!is_own_file(run, run.event_file_path)) write_new_file_header(run);
    return {};
}

namespace {

// Opens the Event file for reading in EVENT_SLOT. TELVOR's own files in the
// Program directory (the lists and the working files) are never taken for
// the Event file: they count as unreadable.
FileResult event_file_open_read(const RunState& run) {
    if (is_own_file(run, run.event_file_path)) {
        (void)file_close(EVENT_SLOT);
        return own_failure("it is one of TELVOR's own files in the Program directory");
    }
    return file_open_read(EVENT_SLOT, run.event_file_path);
}

// Puts a working file in place of the Event file. Only a working file that
// this run wrote completely takes its place; any other is deleted, and the
// Event file keeps its content. True when the Event file was replaced.
bool replace_event_file(RunState& run, const Path& working_path, bool written_completely) {
    if (written_completely) {
        FileResult replaced = file_replace(working_path, run.event_file_path);
        if (replaced) return true;
        // The failure names the file it concerned: the Event file, or the
        // working file, journal or folder the replacement failed on.
        run_step_failed(run, "replace", run.event_file_path, replaced.failure());
    }
    (void)file_delete(working_path);
    return false;
}

}  // namespace

PassStart pass_begin(RunState& run, const Path& working_path) {
    if (FileResult opened = event_file_open_read(run); !opened) {
        run_step_failed(run, "read", run.event_file_path, opened.failure());
        return PassStart::not_reading;
    }
    if (FileResult created = file_create_working(DATA_SLOT, working_path); !created) {
        run_step_failed(run, "create", working_path, created.failure());
        return PassStart::not_writing;
    }
    return PassStart::open;
}

bool pass_end(RunState& run, const Path& working_path) {
    FileResult read = file_close(EVENT_SLOT);
    if (!read) run_step_failed(run, "read", run.event_file_path, read.failure());
    FileResult written = file_close(DATA_SLOT);
    if (!written) run_step_failed(run, "write", working_path, written.failure());
    return replace_event_file(run, working_path, read && written);
}

bool begin_data_file_pass(RunState& run) {
    switch (pass_begin(run, run.data_file_path)) {
    case PassStart::open:
        return true;
    case PassStart::not_reading:
        event_view_failure_lines(run.event_file_name, "Not reading...");
        break;
    case PassStart::not_writing:
        event_view_failure_lines(run.event_file_name, "Not writing...");
        break;
    }
    return false;
}

bool end_data_file_pass(RunState& run, const Text& last_shown) {
    const bool replaced = pass_end(run, run.data_file_path);
    if (replaced)
        event_view_closing_lines(run.event_file_name);
    else
        event_view_failure_lines(run.event_file_name, "Not writing...");
    view_show_last_shown(EVENT_VIEW, last_shown);
    return replaced;
}
