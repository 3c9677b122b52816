// file_copy on POSIX: an atomic replacement of the destination.
//
// The copy is written to a temporary file next to the destination's final
// target (symbolic links resolved), flushed to disk and renamed over the
// target, so the destination holds either its old or its new content at
// every instant, and a failed copy leaves it as it was.
#include "runtime/file.h"

#include <cerrno>
#include <cstddef>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>  // mkostemp
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/posix/file_internal.h"

namespace {

using telvor_posix::write_fully;

// Bounds the symbolic links followed from the destination to its target.
constexpr int kMaxLinkHops = 40;
// The longest file name most file systems take.
constexpr std::size_t kNameMax = 255;
constexpr char kTempMarker[] = ".telvor-tmp-";
constexpr std::size_t kSuffixLength = 6;

std::string parent_of(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

bool read_link(const std::string& path, std::string& target) {
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            target.assign(buffer.data(), static_cast<std::size_t>(n));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// The file that path finally names after following symbolic links (a
// relative link target counts from the link's folder). The target need not
// exist yet; false when the chain cannot be followed.
bool resolve_target(const std::string& path, std::string& target) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT) return false;
            target = current;
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            target = current;
            return true;
        }
        std::string link;
        if (!read_link(current, link) || link.empty()) return false;
        current = link.front() == '/' ? link : join(parent_of(current), link);
    }
    return false;
}

// Write-protected: the process may not write it, or no write permission
// bit is set at all (which also holds when running with full privileges).
bool write_protected(const std::string& path, const struct stat& info, int access_mode) {
    return ::faccessat(AT_FDCWD, path.c_str(), access_mode, AT_EACCESS) != 0 ||
           (info.st_mode & 0222) == 0;
}

// Creates a new, unique temporary file beside target with the given
// permission bits; -1 on failure.
int create_temporary(const std::string& target, mode_t mode, std::string& temp_path) {
    std::string base = name_of(target);
    const std::size_t room = kNameMax - (sizeof kTempMarker - 1) - kSuffixLength;
    if (base.size() > room) base.resize(room);
    temp_path = join(parent_of(target), base + kTempMarker + std::string(kSuffixLength, 'X'));
    const int fd = ::mkostemp(temp_path.data(), O_CLOEXEC);
    if (fd >= 0 && ::fchmod(fd, mode) != 0) {
        ::close(fd);
        ::unlink(temp_path.c_str());
        return -1;
    }
    return fd;
}

bool copy_bytes(int from, int to) {
    // Inside the kernel where the file systems allow it ...
    for (;;) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, std::size_t{1} << 30, 0);
        if (n == 0) return true;
        if (n > 0) continue;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
        return false;
    }
    // ... else through a buffer, from wherever the kernel stopped.
    std::vector<char> buffer(65536);
    for (;;) {
        ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        if (!write_fully(to, buffer.data(), static_cast<std::size_t>(n))) return false;
    }
}

void sync_folder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The rename has happened; a folder that cannot be synced (some file
    // systems refuse) does not undo it.
    ::fsync(fd);
    ::close(fd);
}

// Writes the copy beside target and renames it over target.
bool replace(int source_fd, const std::string& target, bool target_exists,
             const struct stat& target_info) {
    std::string temp_path;
    // A new file gets the usual 0666 less the umask; an old one keeps its bits.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = target_exists ? (target_info.st_mode & 07777) : (0666 & ~mask);
    int out = create_temporary(target, mode, temp_path);
    if (out < 0) return false;
    bool ok = copy_bytes(source_fd, out);
    if (ok && target_exists) {
        // Owner and group follow the old file where the process may set
        // them; the permission bits always do.
        struct stat temp_info;
        if (::fstat(out, &temp_info) == 0 &&
            (temp_info.st_uid != target_info.st_uid || temp_info.st_gid != target_info.st_gid))
            (void)::fchown(out, target_info.st_uid, target_info.st_gid);
        // A change of owner clears the set-id bits: set the bits once more.
        ok = ::fchmod(out, mode) == 0;
    }
    if (ok) ok = ::fsync(out) == 0;
    if (::close(out) != 0 && errno != EINTR) ok = false;
    if (ok) ok = ::rename(temp_path.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp_path.c_str());
        return false;
    }
    sync_folder(parent_of(target));
    return true;
}

}  // namespace

int file_copy(const Text& source, const Text& destination) {
    const std::string from = telvor_posix::os_path(source);
    const std::string to = telvor_posix::os_path(destination);
    if (from.empty() || to.empty()) return 0;
    // A file held open by a slot is not replaced under it.
    if (telvor_posix::path_is_open_in_slot(to, false)) return 0;

    int in;
    do {
        in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (in < 0 && errno == EINTR);
    if (in < 0) return 0;
    struct stat source_info;
    // A file still being written in a slot has bytes that are not on disk yet.
    if (::fstat(in, &source_info) != 0 || !S_ISREG(source_info.st_mode) ||
        telvor_posix::file_is_open_in_slot(source_info, true)) {
        ::close(in);
        return 0;
    }
    int flags = ::fcntl(in, F_GETFL);
    if (flags >= 0) ::fcntl(in, F_SETFL, flags & ~O_NONBLOCK);

    bool ok = false;
    std::string target;
    if (resolve_target(to, target)) {
        struct stat target_info {};
        const bool exists = ::stat(target.c_str(), &target_info) == 0;
        struct stat folder_info;
        const std::string folder = parent_of(target);
        ok = (!exists || (S_ISREG(target_info.st_mode) &&
                          !write_protected(target, target_info, W_OK))) &&
             ::stat(folder.c_str(), &folder_info) == 0 && S_ISDIR(folder_info.st_mode) &&
             !write_protected(folder, folder_info, W_OK | X_OK);
        if (ok) ok = replace(in, target, exists, target_info);
    }
    ::close(in);
    return ok ? 1 : 0;
}
