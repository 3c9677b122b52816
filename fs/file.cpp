// Opening files into File slots and the other operations on directory
// entries: on every platform, through the system-call table.
#include "fs/file.h"

#include <string>

#include "fs/file_slots.h"
#include "sys/os.h"

namespace {

using file_slots::identity_of;

const char* const IN_USE = "the file is in use by this run";

// What a path finally names, links followed; kind missing when nothing.
bool final_info(const std::string& path, os::Info& info) {
    std::string target;
    return os::final_info(path, target, info);
}

// Makes the slot's buffer, or says that there is no such slot.
FileResult prepared(int slot) {
    if (file_slots::prepare(slot)) return {};
    return own_failure("there is no such File slot");
}

// Opens a new file where no entry stands and puts it into a slot.
FileResult create_exclusive(int slot, const Path& path, os::Create who) {
    if (FileResult ready = prepared(slot); !ready) return ready;
    os::Handle handle;
    if (!os::create(path.native, who, handle)) return system_failure();
    os::Info info;
    FileResult installed;
    if (!os::handle_info(handle, info)) {
        installed = system_failure();
        os::close(handle);
    } else {
        installed = file_slots::install(slot, handle, identity_of(info), file_slots::Mode::writing);
        if (installed) return installed;
    }
    os::remove(path.native);
    return installed;
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

FileResult file_open_read(int slot, const Path& path) {
    if (FileResult ready = prepared(slot); !ready) return ready;
    os::Handle handle;
    if (!os::open(path.native, os::Open::read, handle)) {
        const Failure failure = system_failure();
        os::Info info;
        if (final_info(path.native, info) && info.kind == os::Kind::folder) return own_failure("it is a folder");
        return failure;
    }
    os::Info info;
    if (!os::handle_info(handle, info)) {
        const Failure failure = system_failure();
        os::close(handle);
        return failure;
    }
    if (info.kind != os::Kind::file) {
        os::close(handle);
        return own_failure(info.kind == os::Kind::folder ? "it is a folder" : "it is not a plain file");
    }
    return file_slots::install(slot, handle, identity_of(info), file_slots::Mode::reading);
}

FileResult file_create(int slot, const Path& path) { return create_exclusive(slot, path, os::Create::shared); }

FileResult file_create_working(int slot, const Path& path) {
    remove_entry(path.native);
    return create_exclusive(slot, path, os::Create::user_only);
}

FileResult file_delete(const Path& path) {
    // A file held open by a slot stays, as it would while another program
    // has it open without sharing deletion.
    os::Info info;
    if (os::path_info(path.native, info) && info.kind != os::Kind::link && info.kind != os::Kind::missing &&
        file_slots::holds(identity_of(info), false))
        return own_failure(IN_USE);
    if (!os::remove(path.native)) return system_failure();
    return {};
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
    const bool same_entry = os::same_name(path_name(target), path_name(name.native)) &&
                            final_info(path_parent(target), here) && final_info(path_parent(name.native), there) &&
                            identity_of(here) == identity_of(there);
    return same_entry ? 0 : 1;
}

int file_same(const Path& a, const Path& b) {
    os::Info first, second;
    if (final_info(a.native, first) && final_info(b.native, second) && first.kind != os::Kind::missing &&
        second.kind != os::Kind::missing)
        return identity_of(first) == identity_of(second) ? 1 : 0;
    // A name not (yet) there is the same name when it stands in the same folder.
    if (!os::same_name(path_name(a.native), path_name(b.native))) return 0;
    return final_info(path_parent(a.native), first) && final_info(path_parent(b.native), second) &&
                   first.kind == os::Kind::folder && identity_of(first) == identity_of(second)
               ? 1
               : 0;
}
