// file_replace on POSIX: a completed working file takes the Event file's
// place in one step.
//
// Where the working file and the destination's final target (symbolic
// links resolved) share a file system, the working file itself is flushed
// to disk, given the target's permission bits and owner, and renamed over
// it. Otherwise a copy is written to a temporary file beside the target,
// flushed and renamed over it, and the working file is deleted. Either way
// the target holds its old or its new content at every instant.
#include "runtime/file.h"

#include <cerrno>
#include <cstddef>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>  // mkostemp
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/posix/posix_io.h"

namespace {

using telvor_posix::join;
using telvor_posix::name_of;
using telvor_posix::note_failure;
using telvor_posix::parent_of;

// The longest file name most file systems take.
constexpr std::size_t NAME_MAX_BYTES = 255;
constexpr char TEMP_MARKER[] = ".telvor-tmp-";
constexpr std::size_t SUFFIX_LENGTH = 6;

// The name a temporary copy of target gets, before its random suffix: the
// target's name, cut so that the whole name fits, and the marker.
std::string temporary_prefix(const std::string& target) {
    std::string base = name_of(target);
    const std::size_t room = NAME_MAX_BYTES - (sizeof TEMP_MARKER - 1) - SUFFIX_LENGTH;
    if (base.size() > room) base.resize(room);
    return base + TEMP_MARKER;
}

// Write-protected: the process may not write it, or no write permission
// bit is set at all (which also holds when running with full privileges).
bool write_protected(const std::string& path, const struct stat& info, int access_mode) {
    return ::faccessat(AT_FDCWD, path.c_str(), access_mode, AT_EACCESS) != 0 ||
           (info.st_mode & 0222) == 0;
}

bool copy_bytes(int from, int to) {
    // Inside the kernel where the file systems allow it ...
    for (;;) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, std::size_t{1} << 30, 0);
        if (n == 0) return true;
        if (n > 0) continue;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
        note_failure(errno);
        return false;
    }
    // ... else through a buffer, from wherever the kernel stopped.
    std::vector<char> buffer(65536);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            note_failure(errno);
            return false;
        }
        if (n == 0) return true;
        if (!telvor_posix::write_fully(to, buffer.data(), static_cast<std::size_t>(n))) return false;
    }
}

void sync_folder(const std::string& folder) {
    const int fd = telvor_posix::open_retrying(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    // The rename has happened; a folder that cannot be synced (some file
    // systems refuse) does not undo it.
    ::fsync(fd);
    ::close(fd);
}

// The permission bits the new content gets: an old file's own, else the
// usual 0666 less the umask.
mode_t new_mode(bool target_exists, const struct stat& target_info) {
    if (target_exists) return target_info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Gives the open file fd the target's owner (where the process may) and
// permission bits, flushes it to disk and closes it.
bool finish_file(int fd, mode_t mode, bool target_exists, const struct stat& target_info) {
    bool ok = true;
    struct stat info;
    if (target_exists && ::fstat(fd, &info) == 0 &&
        (info.st_uid != target_info.st_uid || info.st_gid != target_info.st_gid) &&
        ::fchown(fd, target_info.st_uid, target_info.st_gid) != 0) {
        // Only a privileged process may give a file away: the new content is
        // then the user's own, with the old permission bits all the same.
    }
    // A change of owner clears the set-id bits: the bits are set after it.
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        note_failure(errno);
        ok = false;
    }
    if (::close(fd) != 0 && errno != EINTR) {
        note_failure(errno);
        ok = false;
    }
    return ok;
}

// Renames from over target and flushes both folders; 0 or the errno of the
// failed rename.
int rename_over(const std::string& from, const std::string& target) {
    if (::rename(from.c_str(), target.c_str()) != 0) {
        const int error = errno;
        note_failure(error);
        return error;
    }
    sync_folder(parent_of(target));
    if (parent_of(from) != parent_of(target)) sync_folder(parent_of(from));
    return 0;
}

// The copy: written beside target, flushed and renamed over it.
bool copy_over(int source_fd, const std::string& target, bool target_exists,
               const struct stat& target_info) {
    std::string temp_path =
        join(parent_of(target), temporary_prefix(target) + std::string(SUFFIX_LENGTH, 'X'));
    const int out = ::mkostemp(temp_path.data(), O_CLOEXEC);
    if (out < 0) {
        note_failure(errno);
        return false;
    }
    bool ok = copy_bytes(source_fd, out);
    if (!ok) ::close(out);
    ok = ok && finish_file(out, new_mode(target_exists, target_info), target_exists, target_info);
    if (ok && rename_over(temp_path, target) == 0) return true;
    ::unlink(temp_path.c_str());
    return false;
}

// The checks before a replacement: the target is a plain file (or absent)
// that may be written, in a folder that may be written.
bool may_replace(const std::string& target, bool exists, const struct stat& target_info,
                 struct stat& folder_info) {
    if (exists && !S_ISREG(target_info.st_mode)) {
        note_failure("it is not a plain file");
        return false;
    }
    if (exists && write_protected(target, target_info, W_OK)) {
        note_failure(EACCES);
        return false;
    }
    const std::string folder = parent_of(target);
    if (::stat(folder.c_str(), &folder_info) != 0 || !S_ISDIR(folder_info.st_mode)) {
        note_failure(ENOTDIR);
        return false;
    }
    if (write_protected(folder, folder_info, W_OK | X_OK)) {
        note_failure(EACCES);
        return false;
    }
    return true;
}

// The copy beside the target, then the working file removed.
int replace_by_copy(const std::string& from, const std::string& target, bool exists,
                    const struct stat& target_info) {
    const int in = telvor_posix::open_retrying(from, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (in < 0) {
        note_failure(errno);
        return 0;
    }
    const bool ok = copy_over(in, target, exists, target_info);
    ::close(in);
    if (ok) ::unlink(from.c_str());
    return ok ? 1 : 0;
}

}  // namespace

int file_replace(const Path& source, const Path& destination) {
    const std::string& from = source.native;
    if (from.empty() || destination.empty()) {
        note_failure(ENOENT);
        return 0;
    }
    // A file held open by a slot is not replaced under it.
    if (telvor_posix::path_is_open_in_slot(destination.native, false)) {
        note_failure("the file is in use by this run");
        return 0;
    }
    const int in = telvor_posix::open_retrying(from, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (in < 0) {
        note_failure(errno);
        return 0;
    }
    struct stat source_info;
    // A file still being written in a slot has bytes that are not on disk yet.
    if (::fstat(in, &source_info) != 0 || !S_ISREG(source_info.st_mode) ||
        telvor_posix::file_is_open_in_slot(source_info, true)) {
        note_failure("the working file is not complete");
        ::close(in);
        return 0;
    }

    std::string target;
    struct stat target_info {};
    struct stat folder_info {};
    bool exists = false;
    bool allowed = telvor_posix::resolve_target(destination.native, target);
    if (!allowed) {
        note_failure(errno);
    } else {
        exists = ::stat(target.c_str(), &target_info) == 0;
        allowed = may_replace(target, exists, target_info, folder_info);
    }
    if (!allowed || folder_info.st_dev != source_info.st_dev) {
        ::close(in);
        return allowed ? replace_by_copy(from, target, exists, target_info) : 0;
    }
    // One file system: the working file itself becomes the file; `in`
    // serves to flush it and give it its bits.
    if (!finish_file(in, new_mode(exists, target_info), exists, target_info)) return 0;
    const int error = rename_over(from, target);
    // One file system mounted in two places still refuses the rename
    // between them: the copy serves there.
    if (error == EXDEV) return replace_by_copy(from, target, exists, target_info);
    return error == 0 ? 1 : 0;
}

void file_remove_leftover_copies(const Path& path) {
    std::string target;
    if (!telvor_posix::resolve_target(path.native, target)) return;
    const std::string prefix = temporary_prefix(target);
    const std::string folder = parent_of(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + SUFFIX_LENGTH || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        struct stat info;
        const std::string leftover = join(folder, name);
        if (::lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(leftover.c_str());
    }
    ::closedir(dir);
}
