#include "app/launch.h"

#include "fs/file.h"
#include "steps/run_state.h"
#include "sys/launch_services.h"
#include "sys/os.h"

namespace {

const char* const FOLDER_NAME = "TELVOR";
const char* const LISTS[] = {"TELVOR.service", "TELVOR.filter"};

Path joined(const Path& folder, const std::string& name) { return Path{os::join(folder.native, name)}; }

// Copies the installed list of that name into folder, where none exists.
// Returns a note on what failed, or the empty text.
std::string put_in_list(const Path& folder, const Path& installed, const std::string& name) {
    const Path target = joined(folder, name);
    if (file_entry_exists(target)) return "";
    const Path source = joined(installed, name);
    if (!file_open_read(LIST_SLOT, source)) return "no " + name + " to start with: " + source.native + ": " + file_failure_reason();
    if (!file_create(DATA_SLOT, target)) {
        const std::string note = "cannot make " + target.native + ": " + file_failure_reason();
        file_close(LIST_SLOT);
        return note;
    }
    while (!file_at_end(LIST_SLOT)) file_write_line(DATA_SLOT, file_read_line_view(LIST_SLOT));
    const bool read = file_close(LIST_SLOT) != 0;
    if (file_close(DATA_SLOT) && read) return "";
    // Half a list would stay half: gone, it is put in whole next time.
    const std::string note = "cannot copy " + source.native + " to " + target.native + ": " + file_failure_reason();
    file_delete(target);
    return note;
}

// Whether the folder holds a list of its own.
bool holds_lists(const Path& folder) {
    for (const char* name : LISTS)
        if (file_entry_exists(joined(folder, name))) return true;
    return false;
}

// Enters the TELVOR folder of the user's documents, made if missing and
// given the lists missing there. Returns what kept it from being used, or
// the empty text.
std::string enter_telvor_folder(Launch& launch) {
    const Path documents = user_documents_folder();
    if (documents.empty()) return "no home or documents folder known";
    const Path folder = joined(documents, FOLDER_NAME);
    if (!directory_create(folder) || !directory_set_current(folder))
        return "cannot use " + folder.native + " (" + file_failure_reason() + ")";
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
    if (!directory_set_current(documents))
        launch.notes.push_back("cannot enter " + documents.native + " either: " + file_failure_reason());
}

// An Event file in a folder without lists of its own: the run takes the
// user's lists, in the TELVOR folder, and the file by its full path. False
// where that cannot be (the run then goes to the file's folder).
bool enter_telvor_folder_for(Launch& launch, std::string& file) {
    if (!os::is_absolute(file)) {
        const Path here = directory_get_current();
        if (here.empty()) return false;
        file = os::join(here.native, file);
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
    if (!holds_lists(Path{os::parent_of(file)}) && enter_telvor_folder_for(launch, file)) {
        launch.entered = true;
        return launch;
    }
    if (!directory_set_current(Path{os::parent_of(file)})) {
        launch.notes.push_back("cannot enter the folder of " + file + ": " + file_failure_reason());
        return launch;
    }
    if (!os::is_absolute(file)) file = os::name_of(file);  // from inside its folder
    launch.entered = true;
    return launch;
}
