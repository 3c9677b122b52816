// Line files in numbered File slots on POSIX.
//
// Every slot owns a 4096-byte buffer. Reading fills it with one read(2) at a
// time and splits lines inside it; writing collects pieces in it and hands
// them to write(2) when it is full or the slot is closed. A write that
// fails marks the slot, and file_close reports it.
//
// The slots also keep the sharing rules of the program's files among
// themselves: a file open in one slot is not truncated, deleted or replaced
// through another, and a file being written is not opened for reading.
#include "runtime/file.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/codepage.h"
#include "runtime/posix/file_internal.h"

namespace {

constexpr std::size_t kBufferSize = 4096;

enum class Mode { closed, reading, writing };

struct Slot {
    int fd = -1;
    Mode mode = Mode::closed;
    dev_t device = 0;
    ino_t inode = 0;
    // Writing: a write, flush or close failed; later pieces are dropped.
    // Reading: a read failed, so the end met was not the file's real end.
    bool failed = false;
    // Reading: the end of the file (or a read error) has been met.
    bool at_eof = false;
    // Reading: bytes in the buffer and the position of the next unread one.
    // Writing: `count` is the number of bytes waiting in the buffer.
    std::size_t count = 0;
    std::size_t next = 0;
    char buffer[kBufferSize];
};

Slot g_slots[FILE_SLOT_COUNT];

Slot* slot_at(int slot) {
    if (slot < 0 || slot >= FILE_SLOT_COUNT) return nullptr;
    return &g_slots[slot];
}

void reset(Slot& s) {
    s.fd = -1;
    s.mode = Mode::closed;
    s.device = 0;
    s.inode = 0;
    s.failed = false;
    s.at_eof = false;
    s.count = 0;
    s.next = 0;
}

// Writes out the buffer of a writing slot; a failure marks the slot and the
// buffered bytes are dropped.
void flush(Slot& s) {
    if (s.count > 0 && !s.failed && !telvor_posix::write_fully(s.fd, s.buffer, s.count))
        s.failed = true;
    s.count = 0;
}

// Makes sure an unread byte is in the buffer of a reading slot; false at the
// end of the file. A read error counts as the end.
bool fill(Slot& s) {
    if (s.next < s.count) return true;
    if (s.at_eof || s.mode != Mode::reading) return false;
    for (;;) {
        ssize_t n = ::read(s.fd, s.buffer, kBufferSize);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) s.failed = true;
            s.at_eof = true;
            s.count = 0;
            s.next = 0;
            return false;
        }
        s.count = static_cast<std::size_t>(n);
        s.next = 0;
        return true;
    }
}

// The first line-end byte (LF, CR or 0) in [from, to), or `to`.
const char* find_line_end(const char* from, const char* to) {
    // Eight bytes at a time while none of them is LF, CR or 0.
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    auto has_zero_byte = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    while (to - from >= 8) {
        std::uint64_t word;
        std::memcpy(&word, from, 8);
        if (has_zero_byte(word) | has_zero_byte(word ^ ('\n' * ones)) |
            has_zero_byte(word ^ ('\r' * ones)))
            break;
        from += 8;
    }
    for (; from != to; ++from) {
        unsigned char c = static_cast<unsigned char>(*from);
        if (c == '\n' || c == '\r' || c == 0) break;
    }
    return from;
}

// Puts a freshly opened descriptor into slot s; closes it and fails when
// the file may not be opened beside the other slots' files.
bool install(Slot& s, int fd, const struct stat& info, Mode mode) {
    if (telvor_posix::file_is_open_in_slot(info, mode == Mode::reading)) {
        ::close(fd);
        return false;
    }
    // Opened non-blocking so that a FIFO cannot hang the open; the reads
    // and writes themselves block as usual.
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    reset(s);
    s.fd = fd;
    s.mode = mode;
    s.device = info.st_dev;
    s.inode = info.st_ino;
    return true;
}

int open_for_writing(int slot, const Text& path, bool private_file) {
    Slot* s = slot_at(slot);
    if (s == nullptr) return 0;
    file_close(slot);
    const std::string name = telvor_posix::os_path(path);
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK;
    if (private_file) flags |= O_NOFOLLOW;
    int fd;
    do {
        fd = ::open(name.c_str(), flags, private_file ? 0600 : 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return 0;
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0;
    // Changed only once it is clear that no other slot holds the file.
    if (ok && telvor_posix::file_is_open_in_slot(info, false)) ok = false;
    if (ok && private_file) {
        // A working file must be a plain file that only the user can read.
        ok = S_ISREG(info.st_mode) &&
             ((info.st_mode & 07777) == 0600 || ::fchmod(fd, 0600) == 0);
    }
    if (ok && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0) ok = false;
    if (!ok || !install(*s, fd, info, Mode::writing)) {
        if (!ok) ::close(fd);
        return 0;
    }
    return 1;
}

}  // namespace

namespace telvor_posix {

std::string os_path(const Text& path) { return cp1252_to_utf8(path); }

bool file_is_open_in_slot(const struct stat& info, bool writers_only) {
    for (const Slot& s : g_slots) {
        if (s.mode == Mode::closed) continue;
        if (writers_only && s.mode != Mode::writing) continue;
        if (s.device == info.st_dev && s.inode == info.st_ino) return true;
    }
    return false;
}

bool path_is_open_in_slot(const std::string& name, bool writers_only) {
    struct stat info;
    if (::stat(name.c_str(), &info) != 0) return false;
    return file_is_open_in_slot(info, writers_only);
}

bool write_fully(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace telvor_posix

int file_open_read(int slot, const Text& path) {
    Slot* s = slot_at(slot);
    if (s == nullptr) return 0;
    file_close(slot);
    const std::string name = telvor_posix::os_path(path);
    int fd;
    do {
        fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return 0;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return 0;
    }
    return install(*s, fd, info, Mode::reading) ? 1 : 0;
}

int file_create(int slot, const Text& path) { return open_for_writing(slot, path, false); }

int file_create_private(int slot, const Text& path) { return open_for_writing(slot, path, true); }

int file_at_end(int slot) {
    Slot* s = slot_at(slot);
    if (s == nullptr || s->mode != Mode::reading) return 1;
    return fill(*s) ? 0 : 1;
}

Text file_read_line(int slot) {
    Text line;
    file_read_line_into(slot, line);
    return line;
}

void file_read_line_into(int slot, Text& line) {
    line.clear();
    Slot* s = slot_at(slot);
    if (s == nullptr || s->mode != Mode::reading) return;
    while (fill(*s)) {
        const char* begin = s->buffer + s->next;
        const char* end = s->buffer + s->count;
        const char* stop = find_line_end(begin, end);
        line.append(begin, static_cast<std::size_t>(stop - begin));
        if (stop == end) {
            s->next = s->count;
            continue;
        }
        const char ending = *stop;
        s->next = static_cast<std::size_t>(stop - s->buffer) + 1;
        // CR LF is one line end; a CR before any other byte leaves it unread.
        if (ending == '\r' && fill(*s) && s->buffer[s->next] == '\n') ++s->next;
        return;
    }
}

int file_write_line(int slot, const Text& text) {
    Slot* s = slot_at(slot);
    if (s == nullptr || s->mode != Mode::writing) return 0;
    static const char kLineEnd[2] = {'\r', '\n'};
    const struct {
        const char* data;
        std::size_t size;
    } pieces[2] = {{text.data(), text.size()}, {kLineEnd, 2}};
    for (const auto& piece : pieces) {
        if (piece.size <= kBufferSize - s->count) {
            std::memcpy(s->buffer + s->count, piece.data, piece.size);
            s->count += piece.size;
            continue;
        }
        flush(*s);
        if (piece.size >= kBufferSize) {
            if (!s->failed && !telvor_posix::write_fully(s->fd, piece.data, piece.size))
                s->failed = true;
        } else {
            std::memcpy(s->buffer, piece.data, piece.size);
            s->count = piece.size;
        }
    }
    return static_cast<int>(text.size() + 2);
}

int file_close(int slot) {
    Slot* s = slot_at(slot);
    if (s == nullptr || s->mode == Mode::closed) return 1;
    if (s->mode == Mode::writing) {
        flush(*s);
        // On Linux the descriptor is gone even when close reports EINTR.
        if (::close(s->fd) != 0 && errno != EINTR) s->failed = true;
    } else {
        ::close(s->fd);
    }
    const bool failed = s->failed;
    reset(*s);
    return failed ? 0 : 1;
}

void file_close_all() {
    for (int slot = 0; slot < FILE_SLOT_COUNT; ++slot) file_close(slot);
}

int file_delete(const Text& path) {
    const std::string name = telvor_posix::os_path(path);
    // A file held open by a slot stays, as it would while another program
    // has it open without sharing deletion.
    struct stat info;
    if (::lstat(name.c_str(), &info) == 0 && !S_ISLNK(info.st_mode) &&
        telvor_posix::file_is_open_in_slot(info, false))
        return 0;
    return ::unlink(name.c_str()) == 0 ? 1 : 0;
}
