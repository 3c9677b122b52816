// Opening files into File slots on POSIX, and the other operations on
// directory entries. The slots' buffering lives in runtime/file_slots.cpp;
// this file gives it read(2), write(2) and close(2).
#include "runtime/file.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/file_slots.h"
#include "runtime/posix/posix_io.h"

namespace {

using telvor_posix::note_failure;

file_slots::Identity identity_of(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// Opens a new file that nothing else may stand under: O_EXCL refuses every
// existing entry, a dangling link included.
int create_exclusive(int slot, const Path& path, mode_t mode, bool private_file) {
    if (!file_slots::prepare(slot)) return 0;
    const int fd = telvor_posix::open_retrying(
        path.native, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK, mode);
    if (fd < 0) {
        note_failure(errno);
        return 0;
    }
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok) note_failure(errno);
    // The umask may have taken bits a working file needs; it never adds any.
    if (ok && private_file && (info.st_mode & 07777) != 0600 && ::fchmod(fd, 0600) != 0) {
        note_failure(errno);
        ok = false;
    }
    if (ok && file_slots::install(slot, fd, identity_of(info), file_slots::Mode::writing, path.native))
        return 1;
    if (!ok) ::close(fd);
    ::unlink(path.native.c_str());
    return 0;
}

// Removes whatever stands under a working file's name: a file or link of
// either kind, a FIFO, an empty folder. A folder that is not empty stays
// (the exclusive create then fails).
void remove_entry(const std::string& name) {
    if (::unlink(name.c_str()) != 0 && (errno == EISDIR || errno == EPERM)) ::rmdir(name.c_str());
}

}  // namespace

namespace file_slots {

long long platform_read(Handle handle, char* buffer, std::size_t size, long& error) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle), buffer, size);
        if (n >= 0) return n;
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

bool platform_write(Handle handle, const char* data, std::size_t size, long& error) {
    if (telvor_posix::write_fully(static_cast<int>(handle), data, size)) return true;
    error = errno;
    return false;
}

bool platform_close(Handle handle, long& error) {
    // On Linux the descriptor is gone even when close reports EINTR.
    if (::close(static_cast<int>(handle)) == 0 || errno == EINTR) return true;
    error = errno;
    return false;
}

void platform_note_failure(long error) { note_failure(static_cast<int>(error)); }

long platform_io_error() { return EIO; }

}  // namespace file_slots

namespace telvor_posix {

bool file_is_open_in_slot(const struct stat& info, bool writers_only) {
    return file_slots::holds(identity_of(info), writers_only);
}

}  // namespace telvor_posix

int file_open_read(int slot, const Path& path) {
    if (!file_slots::prepare(slot)) return 0;
    const int fd = telvor_posix::open_retrying(path.native, O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        note_failure(errno);
        return 0;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        note_failure(S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a plain file");
        ::close(fd);
        return 0;
    }
    return file_slots::install(slot, fd, identity_of(info), file_slots::Mode::reading, path.native) ? 1 : 0;
}

int file_create(int slot, const Path& path) { return create_exclusive(slot, path, 0666, false); }

int file_create_working(int slot, const Path& path) {
    remove_entry(path.native);
    return create_exclusive(slot, path, 0600, true);
}

int file_delete(const Path& path) {
    // A file held open by a slot stays, as it would while another program
    // has it open without sharing deletion.
    struct stat info;
    if (::lstat(path.native.c_str(), &info) == 0 && !S_ISLNK(info.st_mode) &&
        telvor_posix::file_is_open_in_slot(info, false)) {
        note_failure("the file is in use by this run");
        return 0;
    }
    if (::unlink(path.native.c_str()) != 0) {
        note_failure(errno);
        return 0;
    }
    return 1;
}

int file_entry_exists(const Path& path) {
    struct stat info;
    return ::lstat(path.native.c_str(), &info) == 0 || errno != ENOENT ? 1 : 0;
}

int file_same(const Path& a, const Path& b) {
    struct stat first, second;
    if (::stat(a.native.c_str(), &first) == 0 && ::stat(b.native.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino ? 1 : 0;
    // A name not (yet) there is the same name when it stands in the same folder.
    using telvor_posix::name_of;
    using telvor_posix::parent_of;
    if (name_of(a.native) != name_of(b.native)) return 0;
    return ::stat(parent_of(a.native).c_str(), &first) == 0 &&
                   ::stat(parent_of(b.native).c_str(), &second) == 0 &&
                   first.st_dev == second.st_dev && first.st_ino == second.st_ino
               ? 1
               : 0;
}
