// Line files in numbered File slots on POSIX.
//
// Every slot owns a buffer. Reading fills it with one read(2) at a time and
// splits lines inside it; writing collects pieces in it and hands them to
// write(2) when it is full or the slot is closed. A write that fails marks
// the slot, and file_close reports it.
#include "runtime/file.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/posix/posix_io.h"

namespace {

using telvor_posix::note_failure;

// Large enough that a run over a big Event file takes few system calls.
constexpr std::size_t BUFFER_SIZE = FILE_BUFFER_SIZE;

enum class Mode { closed, reading, writing };

struct Slot {
    int fd = -1;
    Mode mode = Mode::closed;
    dev_t device = 0;
    ino_t inode = 0;
    // Writing: a write, flush or close failed; later pieces are dropped.
    // Reading: a read failed, so the end met was not the file's real end.
    bool failed = false;
    int failure = 0;  // errno of that failure
    // Reading: the end of the file (or a read error) has been met.
    bool at_eof = false;
    // Reading: bytes in the buffer and the position of the next unread one.
    // Writing: `count` is the number of bytes waiting in the buffer.
    std::size_t count = 0;
    std::size_t next = 0;
    // Reading: bytes still allowed before an injected read error (-1: none).
    long long fault_after = -1;
    std::unique_ptr<char[]> buffer;
};

Slot g_slots[FILE_SLOT_COUNT];

// The injected read error: the path it applies to and where it strikes.
struct ReadFault {
    std::string path;
    long long after = 0;
};
ReadFault g_read_fault;

Slot* slot_at(int slot) {
    if (slot < 0 || slot >= FILE_SLOT_COUNT) return nullptr;
    return &g_slots[slot];
}

// The slot, closed and with its buffer, ready for a file to be opened in it
// (the buffer is made before anything is opened, so that running out of
// memory leaves nothing open or created).
Slot* slot_to_open(int slot) {
    Slot* s = slot_at(slot);
    if (s == nullptr) return nullptr;
    file_close(slot);
    if (!s->buffer) s->buffer = std::make_unique<char[]>(BUFFER_SIZE);
    return s;
}

void mark_failed(Slot& s, int error) {
    if (!s.failed) s.failure = error;
    s.failed = true;
}

// Writes out the buffer of a writing slot; a failure marks the slot and the
// buffered bytes are dropped.
void flush(Slot& s) {
    if (s.count > 0 && !s.failed && !telvor_posix::write_fully(s.fd, s.buffer.get(), s.count))
        mark_failed(s, errno);
    s.count = 0;
}

// Makes sure an unread byte is in the buffer of a reading slot; false at the
// end of the file. A read error counts as the end.
bool fill(Slot& s) {
    if (s.next < s.count) return true;
    if (s.at_eof || s.mode != Mode::reading) return false;
    for (;;) {
        std::size_t wanted = BUFFER_SIZE;
        if (s.fault_after >= 0 && static_cast<long long>(wanted) > s.fault_after)
            wanted = static_cast<std::size_t>(s.fault_after);
        ssize_t n = wanted > 0 ? ::read(s.fd, s.buffer.get(), wanted) : -1;
        if (wanted == 0) errno = EIO;
        if (n > 0 && s.fault_after >= 0) s.fault_after -= n;
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) mark_failed(s, errno);
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
    constexpr std::uint64_t ONES = 0x0101010101010101ull;
    constexpr std::uint64_t HIGHS = 0x8080808080808080ull;
    auto has_zero_byte = [](std::uint64_t v) { return (v - ONES) & ~v & HIGHS; };
    while (to - from >= 8) {
        std::uint64_t word;
        std::memcpy(&word, from, 8);
        if (has_zero_byte(word) | has_zero_byte(word ^ ('\n' * ONES)) |
            has_zero_byte(word ^ ('\r' * ONES)))
            break;
        from += 8;
    }
    for (; from != to; ++from) {
        const auto c = static_cast<unsigned char>(*from);
        if (c == '\n' || c == '\r' || c == 0) break;
    }
    return from;
}

// Puts a freshly opened descriptor into slot s, or closes it and fails when
// the file may not be opened beside the other slots' files.
bool install(Slot& s, int fd, const struct stat& info, Mode mode) {
    if (telvor_posix::file_is_open_in_slot(info, mode == Mode::reading)) {
        ::close(fd);
        note_failure("the file is in use by this run");
        return false;
    }
    s.fd = fd;
    s.mode = mode;
    s.device = info.st_dev;
    s.inode = info.st_ino;
    s.failed = false;
    s.failure = 0;
    s.at_eof = false;
    s.count = 0;
    s.next = 0;
    s.fault_after = -1;
    return true;
}

// Opens a new file that nothing else may stand under: O_EXCL refuses every
// existing entry, a dangling link included.
int create_exclusive(int slot, const Path& path, mode_t mode, bool private_file) {
    Slot* s = slot_to_open(slot);
    if (s == nullptr) return 0;
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
    if (!ok) {
        ::close(fd);
        ::unlink(path.native.c_str());
        return 0;
    }
    return install(*s, fd, info, Mode::writing) ? 1 : 0;
}

// Removes whatever stands under a working file's name: a file or link of
// either kind, a FIFO, an empty folder. A folder that is not empty stays
// (the exclusive create then fails).
void remove_entry(const std::string& name) {
    if (::unlink(name.c_str()) != 0 && (errno == EISDIR || errno == EPERM)) ::rmdir(name.c_str());
}

}  // namespace

namespace telvor_posix {

bool file_is_open_in_slot(const struct stat& info, bool writers_only) {
    for (const Slot& s : g_slots) {
        if (s.mode == Mode::closed) continue;
        if (writers_only && s.mode != Mode::writing) continue;
        if (s.device == info.st_dev && s.inode == info.st_ino) return true;
    }
    return false;
}

}  // namespace telvor_posix

int file_open_read(int slot, const Path& path) {
    Slot* s = slot_to_open(slot);
    if (s == nullptr) return 0;
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
    if (!install(*s, fd, info, Mode::reading)) return 0;
    if (!g_read_fault.path.empty() && g_read_fault.path == path.native)
        s->fault_after = g_read_fault.after;
    return 1;
}

void file_inject_read_error(const Path& path, long long after_bytes) {
    g_read_fault = {path.native, after_bytes};
}

int file_create(int slot, const Path& path) {
    return create_exclusive(slot, path, 0666, false);
}

int file_create_working(int slot, const Path& path) {
    remove_entry(path.native);
    return create_exclusive(slot, path, 0600, true);
}

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
        const char* begin = s->buffer.get() + s->next;
        const char* end = s->buffer.get() + s->count;
        const char* stop = find_line_end(begin, end);
        line.append(begin, static_cast<std::size_t>(stop - begin));
        if (stop == end) {
            s->next = s->count;
            continue;
        }
        const char ending = *stop;
        s->next = static_cast<std::size_t>(stop - s->buffer.get()) + 1;
        // CR LF is one line end; a CR before any other byte leaves it unread.
        if (ending == '\r' && fill(*s) && s->buffer[s->next] == '\n') ++s->next;
        return;
    }
}

int file_write_line(int slot, const Text& text) {
    Slot* s = slot_at(slot);
    if (s == nullptr || s->mode != Mode::writing) return 0;
    static const char LINE_END[2] = {'\r', '\n'};
    const struct {
        const char* data;
        std::size_t size;
    } pieces[2] = {{text.data(), text.size()}, {LINE_END, 2}};
    for (const auto& piece : pieces) {
        if (piece.size <= BUFFER_SIZE - s->count) {
            std::memcpy(s->buffer.get() + s->count, piece.data, piece.size);
            s->count += piece.size;
            continue;
        }
        flush(*s);
        if (piece.size >= BUFFER_SIZE) {
            if (!s->failed && !telvor_posix::write_fully(s->fd, piece.data, piece.size))
                mark_failed(*s, errno);
        } else {
            std::memcpy(s->buffer.get(), piece.data, piece.size);
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
        if (::close(s->fd) != 0 && errno != EINTR) mark_failed(*s, errno);
    } else {
        ::close(s->fd);
    }
    const bool failed = s->failed;
    if (failed) note_failure(s->failure);
    s->fd = -1;
    s->mode = Mode::closed;
    return failed ? 0 : 1;
}

void file_close_all() {
    for (int slot = 0; slot < FILE_SLOT_COUNT; ++slot) file_close(slot);
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
