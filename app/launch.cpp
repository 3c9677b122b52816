#include "app/launch.h"

#include "fs/failure.h"
#include "fs/file.h"
#include "fs/folders.h"
#include "steps/run_state.h"
#include "sys/launch_services.h"

namespace {

const char* const FOLDER_NAME = "TELVOR";
const char* const LISTS[] = {"TELVOR.service", "TELVOR.filter"};

// Copies the installed list of that name into folder, where none exists.
// Returns a note on what failed, or the empty text.
std::string put_in_list(const Path& folder, const Path& installed, const std::string& name) {
    const Path target = path_join(folder, name);
    if (file_entry_exists(target)) return "";
    const Path source = path_join(installed, name);
    if (FileResult opened = file_open_read(LIST_SLOT, source); !opened)
        return "no " + name + " to start with: " + source.native + ": " + failure_reason(opened.failure());
    if (FileResult created = file_create(DATA_SLOT, target); !created) {
        (void)file_close(LIST_SLOT);
        return "cannot make " + target.native + ": " + failure_reason(created.failure());
    }
    while (!file_at_end(LIST_SLOT)) file_write_line(DATA_SLOT, file_read_line_view(LIST_SLOT));
    const FileResult read = file_close(LIST_SLOT);
    const FileResult written = file_close(DATA_SLOT);
    if (read && written) return "";
    // Half a list would stay half: gone, it is put in whole next time.
    const std::string note = "cannot copy " + source.native + " to " + target.native + ": " +
                             failure_reason(written ? read.failure() : written.failure());
    (void)file_delete(target);
    return note;
}

// Whether the folder holds a list of its own.
bool holds_lists(const Path& folder) {
    for (const char* name : LISTS)
        if (file_entry_exists(path_join(folder, name))) return true;
    return false;
}

// Enters the TELVOR folder of the user's documents, made if missing and
// given the lists missing there. Returns what kept it from being used, or
// the empty text.
std::string enter_telvor_folder(Launch& launch) {
    const Path documents = user_documents_folder();
    if (documents.empty()) return "no home or documents folder known";
    const Path folder = path_join(documents, FOLDER_NAME);
    FileResult entered = directory_create(folder);
    if (entered) entered = directory_set_current(folder);
    if (!entered) return "cannot use " + folder.native + " (" + failure_reason(entered.failure()) + ")";
    const Path installed = installed_data_folder();
    for (const char* name : LISTS) {
        const std::string note = put_in_list(folder, installed, name);
        if (!note.empty()) launch.notes.push_back(note);
    }
    return "";
}

// Without an Event file: the TELVOR folder, else the documents folder.
void enter_documents_folder(Launch& launch) {
    const std::string failure = enter_telvor_folder(launch);
    if (failure.empty()) return;
    const Path documents = user_documents_folder();
    if (documents.empty()) {
        launch.notes.push_back(failure + ": TELVOR runs in the current folder");
        return;
    }
    launch.notes.push_back(failure + ": TELVOR runs in " + documents.native);
    if (FileResult entered = directory_set_current(documents); !entered)
        launch.notes.push_back("cannot enter " + documents.native + " either: " + failure_reason(entered.failure()));
}

// An Event file in a folder without lists of its own: the run takes the
// user's lists, in the TELVOR folder, and the file by its full path. False
// where that cannot be (the run then goes to the file's folder).
bool enter_telvor_folder_for(Launch& launch, std::string& file) {
    if (!path_is_absolute(file)) {
        Path here;
        if (!directory_get_current(here)) return false;
        file = path_join(here.native, file);
    }
    const std::string failure = enter_telvor_folder(launch);
    if (failure.empty()) return true;
    launch.notes.push_back(failure + ": TELVOR runs in the folder of " + file + ", without lists");
    return false;
}

}  // namespace

Launch launch_enter_folder(const std::vector<std::string>& run_arguments) {
    Launch launch;
    launch.run_arguments = run_arguments;
    if (run_arguments.size() < 2) {
        enter_documents_folder(launch);
        launch.entered = true;
        return launch;
    }
    std::string& file = launch.run_arguments[1];
    if (!holds_lists(Path{path_parent(file)}) && enter_telvor_folder_for(launch, file)) {
        launch.entered = true;
        return launch;
    }
    if (FileResult entered = directory_set_current(Path{path_parent(file)}); !entered) {
        launch.failure = failure_reason(entered.failure());
        launch.notes.push_back("cannot enter the folder of " + file + ": " + launch.failure);
        return launch;
    }
    if (!path_is_absolute(file)) file = path_name(file);  // from inside its folder
    launch.entered = true;
    return launch;
}
