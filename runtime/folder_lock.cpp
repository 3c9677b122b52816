// Folder claims: the system's lock on a folder, held until the claim is
// released or the process ends (the system drops the lock of a process
// that dies). A folder is claimed once per process however many paths lead
// to it, since two locks of one process would exclude each other.
#include <vector>

#include "runtime/file.h"
#include "runtime/file_failure.h"
#include "runtime/file_slots.h"
#include "runtime/os.h"

namespace {

struct Claim {
    os::Handle held;
    file_slots::Identity folder;
};

std::vector<Claim> g_claims;

int claim(const std::string& folder) {
    file_failure::clear_path();
    std::string target;
    os::Info info;
    if (!os::final_info(folder, target, info)) {
        file_failure::note_system();
        file_failure::note_path("lock the folder", folder);
        return FOLDER_FAILED;
    }
    // Where no folder is, nothing can be written, and nothing needs keeping.
    if (info.kind != os::Kind::folder) return FOLDER_CLAIMED;
    const file_slots::Identity identity = file_slots::identity_of(info);
    for (const Claim& claimed : g_claims)
        if (claimed.folder == identity) return FOLDER_CLAIMED;
    os::Handle held = os::NO_HANDLE;
    switch (os::lock_folder(target, info, held)) {
    case os::Lock::taken:
        g_claims.push_back({held, identity});
        return FOLDER_CLAIMED;
    case os::Lock::busy:
        return FOLDER_BUSY;
    case os::Lock::failed:
        break;
    }
    file_failure::note_system();
    file_failure::note_path("lock the folder", target);
    return FOLDER_FAILED;
}

}  // namespace

int folder_lock(const Path& folder) { return claim(folder.native); }

int folder_lock_of_file(const Path& path) {
    std::string target;
    if (!os::final_path(path.native, target)) {
        file_failure::note_system();
        file_failure::note_path("lock the folder", os::parent_of(path.native));
        return FOLDER_FAILED;
    }
    return claim(os::parent_of(target));
}

void folder_locks_release() {
    for (const Claim& held : g_claims) os::unlock_folder(held.held);
    g_claims.clear();
}
