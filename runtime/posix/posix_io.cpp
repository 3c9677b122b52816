#include "runtime/posix/posix_io.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "runtime/file.h"

namespace {

// Bounds the symbolic links followed from a path to its target.
constexpr int MAX_LINK_HOPS = 40;

// Kept without allocating, so that a failure can be noted when memory has
// run out.
char g_failure_reason[256] = "";

bool read_link(const std::string& path, std::string& target) {
    std::vector<char> buffer(256);
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

}  // namespace

namespace telvor_posix {

int open_retrying(const std::string& path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 && (flags & O_NONBLOCK) != 0) {
        const int status = ::fcntl(fd, F_GETFL);
        if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    }
    return fd;
}

bool write_fully(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            note_failure(errno);
            return false;
        }
        if (n == 0) {
            note_failure(EIO);
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void note_failure(int error) { note_failure(std::strerror(error)); }

void note_failure(const char* reason) {
    std::strncpy(g_failure_reason, reason, sizeof g_failure_reason - 1);
    g_failure_reason[sizeof g_failure_reason - 1] = '\0';
}

bool path_is_open_in_slot(const std::string& path, bool writers_only) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return false;
    return file_is_open_in_slot(info, writers_only);
}

std::string parent_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

bool resolve_target(const std::string& path, std::string& target) {
    std::string current = path;
    for (int hop = 0; hop <= MAX_LINK_HOPS; ++hop) {
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
    errno = ELOOP;
    return false;
}

}  // namespace telvor_posix

Text file_failure_reason() { return g_failure_reason; }

void file_set_failure_reason(const Text& reason) { telvor_posix::note_failure(reason.c_str()); }
