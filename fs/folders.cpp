// The current folder, and folder and file claims: the system's lock on a
// folder or a file, held until the claim is released or the process ends
// (the system drops the lock of a process that dies). Each is claimed once
// per process however many paths lead to it, since two locks of one
// process would exclude each other.
#include "fs/folders.h"

#include <string>
#include <vector>

#include "fs/file_claims.h"
#include "fs/file_slots.h"
#include "sys/os.h"

namespace {

struct Claimed {
    os::Handle held;
    file_slots::Identity identity;
    bool file;
};

std::vector<Claimed> g_claims;

ClaimResult failed_claim(Failure failure) { return {Claim::failed, std::move(failure)}; }

ClaimResult claim(const std::string& folder) {
    std::string target;
    os::Info info;
    if (!os::final_info(folder, target, info)) return failed_claim(system_failure("lock the folder", folder));
    // Where no folder is, nothing can be written, and nothing needs keeping.
    if (info.kind != os::Kind::folder) return {};
    const file_slots::Identity identity = file_slots::identity_of(info);
    for (const Claimed& claimed : g_claims)
        if (!claimed.file && claimed.identity == identity) return {};
    os::Handle held = os::NO_HANDLE;
    switch (os::lock_folder(target, info, held)) {
    case os::Lock::taken:
        g_claims.push_back({held, identity, false});
        return {};
    case os::Lock::busy:
        return {Claim::busy, {}};
    case os::Lock::failed:
        break;
    }
    return failed_claim(system_failure("lock the folder", target));
}

}  // namespace

namespace file_claims {

os::Lock hold(const std::string& path, const os::Info& info) {
    const file_slots::Identity identity = file_slots::identity_of(info);
    for (const Claimed& claimed : g_claims)
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
        const os::Handle old_lock = claimed->held;
        g_claims.erase(claimed);
        // Where another run took the new file first, the next replacement
        // finds it held and is refused.
        hold(path, now);
        // The old file's last handle: the system gives back its pages while
        // the run goes on.
        os::close_in_background(old_lock);
        return;
    }
}

}  // namespace file_claims

FileResult directory_get_current(Path& path) {
    if (!os::current_folder(path.native)) return system_failure();
    return {};
}

FileResult directory_set_current(const Path& path) {
    if (path.empty()) return code_failure(os::error_code(os::Error::missing));
    if (!os::change_folder(path.native)) return system_failure();
    return {};
}

FileResult directory_create(const Path& path) {
    if (os::make_folder(path.native)) return {};
    // A folder of that name that is there already will do.
    const Failure failure = system_failure();
    os::Info info;
    if (os::error_kind(failure.code) == os::Error::exists && os::path_info(path.native, info) &&
        info.kind == os::Kind::folder)
        return {};
    return failure;
}

ClaimResult folder_lock(const Path& folder) { return claim(folder.native); }

ClaimResult folder_lock_of_file(const Path& path) {
    std::string target;
    if (!os::final_path(path.native, target))
        return failed_claim(system_failure("lock the folder", path_parent(path.native)));
    ClaimResult folder = claim(path_parent(target));
    os::Info info;
    if (folder.claim != Claim::claimed || !os::path_info(target, info) || info.kind != os::Kind::file) return folder;
    switch (file_claims::hold(target, info)) {
    case os::Lock::taken:
        return {};
    case os::Lock::busy:
        return {Claim::busy, {}};
    case os::Lock::failed:
        break;
    }
    // A file this process may neither read nor write is changed by no step
    // of the run: there is nothing to guard.
    if (os::last_error_kind() == os::Error::refused) return {};
    return failed_claim(system_failure("lock", target));
}

void folder_locks_release() {
    for (const Claimed& held : g_claims) os::unlock_folder(held.held);
    g_claims.clear();
}
