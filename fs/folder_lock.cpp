// Folder and file claims: the system's lock on a folder or a file, held
// until the claim is released or the process ends (the system drops the
// lock of a process that dies). Each is claimed once per process however
// many paths lead to it, since two locks of one process would exclude each
// other.
#include <vector>

#include "fs/file.h"
#include "fs/file_claims.h"
#include "fs/file_failure.h"
#include "fs/file_slots.h"
#include "sys/os.h"

namespace {

struct Claim {
    os::Handle held;
    file_slots::Identity identity;
    bool file;
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
        if (!claimed.file && claimed.identity == identity) return FOLDER_CLAIMED;
    os::Handle held = os::NO_HANDLE;
    switch (os::lock_folder(target, info, held)) {
    case os::Lock::taken:
        g_claims.push_back({held, identity, false});
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

namespace file_claims {

os::Lock hold(const std::string& path, const os::Info& info) {
    const file_slots::Identity identity = file_slots::identity_of(info);
    for (const Claim& claimed : g_claims)
        if (claimed.file && claimed.identity == identity) return os::Lock::taken;
    os::Handle held = os::NO_HANDLE;
    const os::Lock lock = os::lock_file(path, info, held);
    if (lock == os::Lock::taken) g_claims.push_back({held, identity, true});
    return lock;
}

void moved(const os::Info& old, const std::string& path, const os::Info& now) {
    const file_slots::Identity identity = file_slots::identity_of(old);
    for (auto claimed = g_claims.begin(); claimed != g_claims.end(); ++claimed) {
        if (!claimed->file || claimed->identity != identity) continue;
        os::unlock_folder(claimed->held);
        g_claims.erase(claimed);
        // Where another run took the new file first, the next replacement
        // finds it held and is refused.
        hold(path, now);
        return;
    }
}

}  // namespace file_claims

int folder_lock(const Path& folder) { return claim(folder.native); }

int folder_lock_of_file(const Path& path) {
    std::string target;
    if (!os::final_path(path.native, target)) {
        file_failure::note_system();
        file_failure::note_path("lock the folder", os::parent_of(path.native));
        return FOLDER_FAILED;
    }
    const int folder = claim(os::parent_of(target));
    os::Info info;
    if (folder != FOLDER_CLAIMED || !os::path_info(target, info) || info.kind != os::Kind::file) return folder;
    switch (file_claims::hold(target, info)) {
    case os::Lock::taken:
        return FOLDER_CLAIMED;
    case os::Lock::busy:
        return FOLDER_BUSY;
    case os::Lock::failed:
        break;
    }
    // A file this process may neither read nor write is changed by no step
    // of the run: there is nothing to guard.
    if (os::last_error_kind() == os::Error::refused) return FOLDER_CLAIMED;
    file_failure::note_system();
    file_failure::note_path("lock", target);
    return FOLDER_FAILED;
}

void folder_locks_release() {
    for (const Claim& held : g_claims) os::unlock_folder(held.held);
    g_claims.clear();
}
