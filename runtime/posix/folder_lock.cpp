// Folder claims on POSIX: an exclusive flock(2) on the folder itself, held
// through a descriptor that stays open until the claim is released. The
// kernel drops the lock with the last descriptor, so a process that dies
// leaves nothing behind. A folder is claimed once per process however many
// paths lead to it (two descriptors of one process would exclude each other).
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/file.h"
#include "runtime/posix/posix_io.h"

namespace {

struct Claim {
    int fd;
    dev_t device;
    ino_t inode;
};

std::vector<Claim> g_claims;

int claim(const std::string& folder) {
    const int fd = telvor_posix::open_retrying(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return FOLDER_CLAIMED;  // nothing there to claim
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return FOLDER_CLAIMED;
    }
    for (const Claim& held : g_claims) {
        if (held.device == info.st_dev && held.inode == info.st_ino) {
            ::close(fd);
            return FOLDER_CLAIMED;
        }
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? FOLDER_BUSY : FOLDER_CLAIMED;
    }
    g_claims.push_back({fd, info.st_dev, info.st_ino});
    return FOLDER_CLAIMED;
}

}  // namespace

int folder_lock(const Path& folder) { return claim(folder.native); }

int folder_lock_of_file(const Path& path) {
    std::string target;
    if (!telvor_posix::resolve_target(path.native, target)) return FOLDER_CLAIMED;
    return claim(telvor_posix::parent_of(target));
}

void folder_locks_release() {
    for (const Claim& held : g_claims) ::close(held.fd);
    g_claims.clear();
}
