// Opening files into File slots, the other operations on directory entries,
// the process's parameters and current directory, and the failure the file
// layer keeps: on every platform, through the system-call table.
#include "fs/file.h"

#include <cstring>
#include <string>
#include <vector>

#include "fs/file_failure.h"
#include "fs/file_slots.h"
#include "sys/os.h"

namespace {

// Kept in fixed buffers, so that a failure can be noted when memory has
// run out.
char g_reason[256] = "";
char g_doing[128] = "";
char g_failed_path[4096] = "";
// The system's error code behind g_reason; 0 for a reason of the program's own.
long g_code = 0;

// The arguments after the program path, as the system passed them.
std::vector<std::string> g_parameters;

void copy_into(char* buffer, std::size_t size, const char* text) {
    std::strncpy(buffer, text, size - 1);
    buffer[size - 1] = '\0';
}

using file_slots::identity_of;

// What a path finally names, links followed; kind missing when nothing.
bool final_info(const std::string& path, os::Info& info) {
    std::string target;
    return os::final_info(path, target, info);
}

// Opens a new file where no entry stands and puts it into a slot.
int create_exclusive(int slot, const Path& path, os::Open how) {
    if (!file_slots::prepare(slot)) return 0;
    os::Handle handle;
    if (!os::open(path.native, how, handle)) {
        file_failure::note_system();
        return 0;
    }
    os::Info info;
    if (!os::handle_info(handle, info)) {
        file_failure::note_system();
        os::close(handle);
    } else if (file_slots::install(slot, handle, identity_of(info), file_slots::Mode::writing)) {
        return 1;
    }
    os::remove(path.native);
    return 0;
}

// Removes whatever stands under a working file's name: a file or link of
// either kind, a FIFO, an empty folder. A folder that is not empty stays
// (the exclusive create then fails).
void remove_entry(const std::string& name) {
    os::Info info;
    if (!os::path_info(name, info) || info.kind == os::Kind::missing) return;
    if (info.kind == os::Kind::folder)
        os::remove_folder(name);
    else
        os::remove(name);
}

}  // namespace

namespace file_failure {

void note(const char* reason) {
    copy_into(g_reason, sizeof g_reason, reason);
    g_code = 0;
}

void note_code(long code) {
    os::error_text(code, g_reason, sizeof g_reason);
    g_code = code;
}

void note_system() { note_code(os::last_error()); }

void note_path(const char* doing, const std::string& path) {
    copy_into(g_doing, sizeof g_doing, doing);
    copy_into(g_failed_path, sizeof g_failed_path, path.c_str());
}

void clear_path() {
    g_doing[0] = '\0';
    g_failed_path[0] = '\0';
}

}  // namespace file_failure

Text file_failure_reason() { return g_reason; }

Text file_failure_plain_reason(const Path& path) {
    switch (os::error_cause(g_code)) {
    case os::Cause::missing:
        return "it does not exist";
    case os::Cause::denied: {
        // Refused where the file itself takes no writes: write-protected.
        const Path noted = file_failure_path();
        os::Info info;
        return final_info(noted.empty() ? path.native : noted.native, info) && info.kind == os::Kind::file &&
                       info.read_only
                   ? "it is write-protected"
                   : "no permission";
    }
    case os::Cause::read_only_volume:
        return "the file system is read-only";
    case os::Cause::full:
        return "the disk is full";
    case os::Cause::in_use:
        return "another program has the file open";
    case os::Cause::other:
        break;
    }
    return g_reason;
}
void file_set_failure_reason(const Text& reason) { file_failure::note(reason.c_str()); }
const char* file_failure_doing() { return g_doing; }
Path file_failure_path() { return Path{g_failed_path}; }

void program_start(int argc, char** argv) {
    os::process_setup();
    g_parameters = os::process_arguments(argc, argv);
}

Path program_parameter(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= g_parameters.size()) return Path();
    return Path{g_parameters[static_cast<std::size_t>(index)]};
}

Path directory_get_current() {
    std::string path;
    if (os::current_folder(path)) return Path{path};
    file_failure::note_system();
    return Path();
}

int directory_set_current(const Path& path) {
    if (!path.empty() && os::change_folder(path.native)) return 1;
    if (path.empty()) os::set_last_error(os::error_code(os::Error::missing));
    file_failure::note_system();
    return 0;
}

int directory_create(const Path& path) {
    if (os::make_folder(path.native)) return 1;
    // A folder of that name that is there already will do.
    const long error = os::last_error();
    os::Info info;
    if (os::error_kind(error) == os::Error::exists && os::path_info(path.native, info) &&
        info.kind == os::Kind::folder)
        return 1;
    file_failure::note_code(error);
    return 0;
}

const char* directory_separator() { return os::SEPARATOR; }

int file_open_read(int slot, const Path& path) {
    if (!file_slots::prepare(slot)) return 0;
    os::Handle handle;
    if (!os::open(path.native, os::Open::read, handle)) {
        file_failure::note_system();
        os::Info info;
        if (final_info(path.native, info) && info.kind == os::Kind::folder) file_failure::note("it is a folder");
        return 0;
    }
    os::Info info;
    if (!os::handle_info(handle, info)) {
        file_failure::note_system();
        os::close(handle);
        return 0;
    }
    if (info.kind != os::Kind::file) {
        file_failure::note(info.kind == os::Kind::folder ? "it is a folder" : "it is not a plain file");
        os::close(handle);
        return 0;
    }
    return file_slots::install(slot, handle, identity_of(info), file_slots::Mode::reading) ? 1 : 0;
}

int file_create(int slot, const Path& path) { return create_exclusive(slot, path, os::Open::create_new); }

int file_create_working(int slot, const Path& path) {
    remove_entry(path.native);
    return create_exclusive(slot, path, os::Open::create_private);
}

int file_delete(const Path& path) {
    // A file held open by a slot stays, as it would while another program
    // has it open without sharing deletion.
    os::Info info;
    if (os::path_info(path.native, info) && info.kind != os::Kind::link &&
        info.kind != os::Kind::missing && file_slots::holds(identity_of(info), false)) {
        file_failure::note("the file is in use by this run");
        return 0;
    }
    if (!os::remove(path.native)) {
        file_failure::note_system();
        return 0;
    }
    return 1;
}

int file_entry_exists(const Path& path) {
    os::Info info;
    // An entry that cannot be looked at is there all the same.
    return !os::path_info(path.native, info) || info.kind != os::Kind::missing ? 1 : 0;
}

int file_is_other_name(const Path& name, const Path& path) {
    os::Info entry, file, here, there;
    std::string target;
    if (!os::path_info(name.native, entry) || entry.kind != os::Kind::file || entry.links < 2 ||
        !os::final_info(path.native, target, file) || identity_of(entry) != identity_of(file))
        return 0;
    const bool same_entry = os::same_name(os::name_of(target), os::name_of(name.native)) &&
                            final_info(os::parent_of(target), here) && final_info(os::parent_of(name.native), there) &&
                            identity_of(here) == identity_of(there);
    return same_entry ? 0 : 1;
}

int file_same(const Path& a, const Path& b) {
    os::Info first, second;
    if (final_info(a.native, first) && final_info(b.native, second) &&
        first.kind != os::Kind::missing && second.kind != os::Kind::missing)
        return identity_of(first) == identity_of(second) ? 1 : 0;
    // A name not (yet) there is the same name when it stands in the same folder.
    if (!os::same_name(os::name_of(a.native), os::name_of(b.native))) return 0;
    return final_info(os::parent_of(a.native), first) && final_info(os::parent_of(b.native), second) &&
                   first.kind == os::Kind::folder && identity_of(first) == identity_of(second)
               ? 1
               : 0;
}
