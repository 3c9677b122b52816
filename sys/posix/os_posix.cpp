// The system-call table on POSIX systems (Linux): each entry one call, or
// the few calls of one system quirk (interrupted calls, short writes,
// non-blocking opens of FIFOs, the umask, links followed by hand).
#include "sys/os.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <system_error>
#include <thread>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "base/path.h"
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

using os::Handle;

// Bounds the symbolic links followed from a path to its target.
constexpr int MAX_LINK_HOPS = 40;

int fd_of(Handle handle) { return static_cast<int>(handle); }

// Retries a call that a signal interrupted.
template <class Call>
auto retrying(Call call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR) return result;
    }
}

int open_fd(const std::string& path, int flags, mode_t mode = 0) {
    const int fd = retrying([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); });
    // O_NONBLOCK keeps a FIFO from hanging the open; the file is read and
    // written blocking.
    if (fd >= 0 && (flags & O_NONBLOCK) != 0) {
        const int status = ::fcntl(fd, F_GETFL);
        if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    }
    return fd;
}

void fill_info(const struct stat& s, os::Info& info) {
    info.kind = S_ISREG(s.st_mode)   ? os::Kind::file
                : S_ISDIR(s.st_mode) ? os::Kind::folder
                : S_ISLNK(s.st_mode) ? os::Kind::link
                                     : os::Kind::other;
    info.device = static_cast<std::uint64_t>(s.st_dev);
    info.file = static_cast<std::uint64_t>(s.st_ino);
    info.size = static_cast<std::uint64_t>(s.st_size);
    info.links = static_cast<std::uint64_t>(s.st_nlink);
    info.owner = s.st_uid;
    info.group = s.st_gid;
    info.mode = s.st_mode & 07777;
    info.read_only = (s.st_mode & 0222) == 0;
}

bool sys_open(const std::string& path, os::Open how, Handle& handle) {
    int flags = O_RDONLY | O_NONBLOCK;
    switch (how) {
    case os::Open::read: break;
    case os::Open::read_entry: flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK; break;
    case os::Open::inspect: flags = O_PATH | O_NOFOLLOW; break;
    case os::Open::write_existing: flags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK; break;
    }
    const int fd = open_fd(path, flags);
    if (fd < 0) return false;
    handle = fd;
    return true;
}

bool sys_create(const std::string& path, os::Create who, Handle& handle) {
    const bool mine = who == os::Create::user_only;
    // O_EXCL refuses every existing entry, a dangling link included.
    const int fd = open_fd(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK, mine ? 0600 : 0666);
    if (fd < 0) return false;
    // The umask may have taken bits a private file needs; it never adds any.
    struct stat s;
    if (mine && (::fstat(fd, &s) != 0 || (s.st_mode & 07777) != 0600) && ::fchmod(fd, 0600) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error;
        return false;
    }
    handle = fd;
    return true;
}

long long sys_read(Handle handle, char* buffer, std::size_t size) {
    return retrying([&] { return ::read(fd_of(handle), buffer, size); });
}

bool sys_write(Handle handle, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = retrying([&] { return ::write(fd_of(handle), data, size); });
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool sys_start_writeback(Handle handle) {
    return ::sync_file_range(fd_of(handle), 0, 0, SYNC_FILE_RANGE_WRITE) == 0;
}

bool sys_sync(Handle handle) { return retrying([&] { return ::fsync(fd_of(handle)); }) == 0; }

// On Linux the descriptor is gone even when close reports EINTR.
bool sys_close(Handle handle) { return ::close(fd_of(handle)) == 0 || errno == EINTR; }

bool sys_truncate(Handle handle, std::uint64_t size) {
    return retrying([&] { return ::ftruncate(fd_of(handle), static_cast<off_t>(size)); }) == 0;
}

bool sys_handle_info(Handle handle, os::Info& info) {
    struct stat s;
    if (::fstat(fd_of(handle), &s) != 0) return false;
    fill_info(s, info);
    return true;
}

bool sys_path_info(const std::string& path, os::Info& info) {
    struct stat s;
    if (::lstat(path.c_str(), &s) == 0) {
        fill_info(s, info);
        return true;
    }
    if (errno != ENOENT && errno != ENOTDIR) return false;
    info = os::Info{};
    return true;
}

bool sys_rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// A rename keeps no identity here: the new file is given it beforehand.
bool sys_replace(const std::string&, const std::string&) {
    errno = ENOSYS;
    return false;
}

bool sys_remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool sys_remove_folder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

bool sys_sync_folder(const std::string& path) {
    const int fd = open_fd(path, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    bool ok = retrying([&] { return ::fsync(fd); }) == 0;
    // Some file systems keep no folders to flush.
    if (!ok && (errno == EINVAL || errno == EROFS || errno == ENOTSUP)) ok = true;
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

bool sys_set_owner(Handle handle, std::uint32_t owner, std::uint32_t group) {
    return ::fchown(fd_of(handle), owner, group) == 0;
}

bool sys_set_mode(Handle handle, std::uint32_t mode) {
    return ::fchmod(fd_of(handle), static_cast<mode_t>(mode)) == 0;
}

// Asks get for the size of a value, then for the value; again where it
// grew in between.
template <class Get>
bool sized_read(Get get, std::string& value) {
    for (;;) {
        const ssize_t size = get(nullptr, 0);
        if (size < 0) return false;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = get(value.data(), value.size());
        if (got < 0 && errno == ERANGE) continue;
        if (got < 0) return false;
        value.resize(static_cast<std::size_t>(got));
        return true;
    }
}

bool sys_list_attributes(Handle handle, std::vector<std::string>& names) {
    names.clear();
    std::string buffer;
    const auto list = [&](char* into, std::size_t size) { return ::flistxattr(fd_of(handle), into, size); };
    if (!sized_read(list, buffer)) return errno == ENOTSUP;  // a file system without them has none
    for (std::size_t start = 0; start < buffer.size();) {
        const std::size_t end = buffer.find('\0', start);
        const std::size_t stop = end == std::string::npos ? buffer.size() : end;
        if (stop > start) names.push_back(buffer.substr(start, stop - start));
        start = stop + 1;
    }
    return true;
}

bool sys_get_attribute(Handle handle, const std::string& name, std::string& value) {
    const auto get = [&](char* into, std::size_t size) { return ::fgetxattr(fd_of(handle), name.c_str(), into, size); };
    return sized_read(get, value);
}

bool sys_set_attribute(Handle handle, const std::string& name, const std::string& value) {
    return ::fsetxattr(fd_of(handle), name.c_str(), value.data(), value.size(), 0) == 0;
}

bool sys_remove_attribute(Handle handle, const std::string& name) {
    return ::fremovexattr(fd_of(handle), name.c_str()) == 0;
}

bool sys_may_write(const std::string& path) {
    // A folder takes new names only where it may be written and searched;
    // one without any write permission bit is left alone also by a
    // privileged process.
    struct stat s;
    if (::stat(path.c_str(), &s) != 0) return false;
    if (S_ISDIR(s.st_mode) && (s.st_mode & 0222) == 0) {
        errno = EACCES;
        return false;
    }
    const int wanted = S_ISDIR(s.st_mode) ? W_OK | X_OK : W_OK;
    return ::faccessat(AT_FDCWD, path.c_str(), wanted, AT_EACCESS) == 0;
}

os::Lock sys_lock_folder(const std::string& folder, const os::Info&, Handle& held) {
    const int fd = open_fd(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return os::Lock::failed;
    if (retrying([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) == 0) {
        held = fd;
        return os::Lock::taken;
    }
    const int error = errno;
    ::close(fd);
    errno = error;
    return error == EWOULDBLOCK ? os::Lock::busy : os::Lock::failed;
}

bool sys_unlock_folder(Handle held) { return sys_close(held); }

// Runs work on a thread of its own, not waited for; false where none can
// be started.
template <class Work>
bool beside_the_run(Work work) {
    try {
        std::thread(std::move(work)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// A file read to its end is mostly about to be replaced: its cached pages
// (clean ones alone: nothing is lost) are dropped through a second
// descriptor while the run goes on to flush and rename.
bool sys_forget_cached(Handle handle) {
    const int copy = ::fcntl(fd_of(handle), F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return false;
    if (beside_the_run([copy] {
            (void)::posix_fadvise(copy, 0, 0, POSIX_FADV_DONTNEED);
            ::close(copy);
        }))
        return true;
    ::close(copy);
    return false;
}

// The last close of a file a rename put aside gives back its cached pages,
// about 3 ms for 10 MiB, and its blocks: done while the run goes on. The
// process ending waits for it.
bool sys_close_in_background(Handle handle) {
    return beside_the_run([fd = fd_of(handle)] { ::close(fd); }) || sys_close(handle);
}

bool read_link(const std::string& path, std::string& target) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            target.assign(buffer.data(), static_cast<std::size_t>(n));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool sys_final_path(const std::string& path, std::string& target) {
    std::string current = path;
    for (int hop = 0; hop <= MAX_LINK_HOPS; ++hop) {
        struct stat s;
        if (::lstat(current.c_str(), &s) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) return false;
            target = current;
            return true;
        }
        if (!S_ISLNK(s.st_mode)) {
            target = current;
            return true;
        }
        std::string link;
        if (!read_link(current, link)) return false;
        if (link.empty()) {
            errno = ENOENT;
            return false;
        }
        // A relative link counts from the link's own folder.
        current = link.front() == '/' ? link : path_join(path_parent(current), link);
    }
    errno = ELOOP;
    return false;
}

bool sys_list_folder(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return false;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    const int error = errno;
    ::closedir(dir);
    errno = error;
    return error == 0;
}

bool sys_current_folder(std::string& path) {
    std::string buffer(4096, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            path = buffer.c_str();
            return true;
        }
        if (errno != ERANGE) return false;
        buffer.resize(buffer.size() * 2);
    }
}

bool sys_change_folder(const std::string& path) { return ::chdir(path.c_str()) == 0; }

bool sys_make_folder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool sys_link_text(const std::string& path, std::string& text) { return read_link(path, text); }

bool sys_process_running(std::uint64_t process, bool& running) {
    // 0 and numbers beyond a process number would signal process groups.
    if (process == 0 || process > static_cast<std::uint64_t>(INT_MAX)) {
        errno = EINVAL;
        return false;
    }
    if (::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM) {
        running = true;  // there, whoever's it is
        return true;
    }
    if (errno != ESRCH) return false;
    running = false;
    return true;
}

bool sys_host_name(std::string& name) {
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0) return false;
    name = buffer;
    return true;
}

// The birth time where the file system keeps one, else the generation
// number (which needs the file open).
bool sys_identify(const std::string& path, os::FileIdentity& identity) {
    struct statx s;
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &s) != 0) return false;
    identity = os::FileIdentity{};
    identity.file = s.stx_ino;
    if ((s.stx_mask & STATX_BTIME) != 0) {
        identity.born = static_cast<std::uint64_t>(s.stx_btime.tv_sec);
        identity.born_fine = s.stx_btime.tv_nsec;
        return true;
    }
    const int fd = open_fd(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    int generation = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETVERSION, &generation) == 0) identity.born = static_cast<unsigned>(generation);
    if (fd >= 0) ::close(fd);
    return true;
}

// An advisory lock on the file itself, through a descriptor of its own
// (for reading, or for writing where it may only be written).
os::Lock sys_lock_file(const std::string& path, const os::Info& info, Handle& held) {
    int fd = open_fd(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0 && errno == EACCES) fd = open_fd(path, O_WRONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return os::Lock::failed;
    struct stat s;
    int error = 0;
    if (::fstat(fd, &s) != 0) {
        error = errno;
    } else if (static_cast<std::uint64_t>(s.st_dev) != info.device || static_cast<std::uint64_t>(s.st_ino) != info.file) {
        error = ESTALE;  // another file took the name meanwhile
    } else if (retrying([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) == 0) {
        held = fd;
        return os::Lock::taken;
    } else {
        error = errno;
    }
    ::close(fd);
    errno = error;
    return error == EWOULDBLOCK ? os::Lock::busy : os::Lock::failed;
}

bool sys_owner_of(Handle handle, std::string& account) {
    struct stat s;
    if (::fstat(fd_of(handle), &s) != 0) return false;
    account = std::to_string(s.st_uid);
    return true;
}

bool sys_process_user(std::string& account) {
    account = std::to_string(::geteuid());
    return true;
}

bool sys_account_name(const std::string& account, std::string& name) {
    errno = 0;
    char* end = nullptr;
    const unsigned long uid = std::strtoul(account.c_str(), &end, 10);
    if (account.empty() || *end != '\0') {
        errno = EINVAL;
        return false;
    }
    struct passwd entry, *found = nullptr;
    std::string buffer(16384, '\0');
    const int error = ::getpwuid_r(static_cast<uid_t>(uid), &entry, buffer.data(), buffer.size(), &found);
    if (error != 0 || found == nullptr) {
        errno = error != 0 ? error : ENOENT;
        return false;
    }
    name = found->pw_name;
    return true;
}

bool sys_local_time(os::LocalTime& now) {
    const time_t seconds = ::time(nullptr);
    struct tm local {};
    if (::localtime_r(&seconds, &local) == nullptr) return false;
    now = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    return true;
}

bool sys_random_seed(std::uint64_t& seed) {
    return ::getrandom(&seed, sizeof seed, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof seed);
}

// HOME, else the home folder the account database gives.
bool sys_user_folder(std::string& path) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] == '\0') {
        errno = ENOENT;
        return false;
    }
    path = home;
    return true;
}

bool sys_program_path(std::string& path) { return read_link("/proc/self/exe", path); }

}  // namespace

namespace os {

const Calls SYSTEM_CALLS = TELVOR_SYSTEM_CALLS_TABLE;

long system_error() { return errno; }
void set_system_error(long code) { errno = static_cast<int>(code); }

Error error_kind(long code) {
    switch (code) {
    case 0: return Error::none;
    case ENOENT: case ENOTDIR: return Error::missing;
    case EEXIST: return Error::exists;
    case EPERM: case EACCES: case ENOTSUP: case EROFS: return Error::refused;
    case EBUSY: case ETXTBSY: return Error::in_use;
    case EXDEV: return Error::cross_device;
    case EWOULDBLOCK: return Error::busy;
    case EIO: return Error::io;
    case ENOSYS: return Error::unsupported;
    default: return Error::other;
    }
}

Cause error_cause(long code) {
    switch (code) {
    case ENOENT: case ENOTDIR: return Cause::missing;
    case EPERM: case EACCES: return Cause::denied;
    case EROFS: return Cause::read_only_volume;
    case ENOSPC: return Cause::full;
    case EBUSY: case ETXTBSY: return Cause::in_use;
    default: return Cause::other;
    }
}

const char* error_text(long code, char* buffer, std::size_t size) {
    if (size == 0) return buffer;
    std::strncpy(buffer, std::strerror(static_cast<int>(code)), size - 1);
    buffer[size - 1] = '\0';
    return buffer;
}

long error_code(Error kind) {
    switch (kind) {
    case Error::none: return 0;
    case Error::missing: return ENOENT;
    case Error::exists: return EEXIST;
    case Error::refused: return EPERM;
    case Error::in_use: return EBUSY;
    case Error::cross_device: return EXDEV;
    case Error::busy: return EWOULDBLOCK;
    case Error::io: return EIO;
    case Error::unsupported: return ENOSYS;
    case Error::other: break;
    }
    return EINVAL;
}

bool same_name(const std::string& a, const std::string& b) { return a == b; }

bool is_administrator(const std::string& account) { return account == "0"; }

void process_setup() {
    // Exceeding the file-size limit, or writing to a pipe nobody reads, fails
    // the write (EFBIG, EPIPE) instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
#if defined(__GLIBC__)
    // A run frees and allocates texts the size of the Guide text and more
    // over and over; memory kept by the process serves again at once, where
    // memory handed back to the system costs a page fault per page anew.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

void prepare_large_memory(std::uint64_t bytes) {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    // Below the threshold set above, the block comes from the heap's top and
    // goes back to it when freed (it is not handed back to the system, the
    // trim threshold being higher): the allocations that follow take it up.
    constexpr std::uint64_t LARGE_PAGE = std::uint64_t{2} << 20;
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, 60 << 20));
    void* const block = std::malloc(size);
    if (block == nullptr) return;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t from = (start + LARGE_PAGE - 1) & ~(LARGE_PAGE - 1);
    const std::uintptr_t to = (start + size) & ~(LARGE_PAGE - 1);
    if (from < to) (void)::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    std::free(block);
#else
    (void)bytes;
#endif
}

std::vector<std::string> process_arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

}  // namespace os
