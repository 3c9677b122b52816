// Line files in numbered File slots on Win32.
//
// Every slot owns a buffer. Reading fills it with one ReadFile at a time and
// splits lines inside it; writing collects pieces in it and hands them to
// WriteFile when it is full or the slot is closed. A write that fails marks
// the slot, and file_close reports it.
//
// The sharing modes keep the slots' files apart from every other open, this
// process's and others': a file read in a slot may be read elsewhere but not
// written, deleted or replaced; a file written in a slot is not opened
// elsewhere at all. The slots also check among themselves by identity, so
// that a refusal reads the same as on other systems.
#include "runtime/file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "runtime/win32/win32_io.h"

namespace {

using telvor_win32::FileId;
using telvor_win32::note_failure;

constexpr std::size_t BUFFER_SIZE = FILE_BUFFER_SIZE;
// The most one WriteFile or ReadFile moves.
constexpr std::size_t MAX_TRANSFER = 1u << 30;

enum class Mode { closed, reading, writing };

struct Slot {
    HANDLE handle = INVALID_HANDLE_VALUE;
    Mode mode = Mode::closed;
    FileId id;
    // Writing: a write or close failed; later pieces are dropped.
    // Reading: a read failed, so the end met was not the file's real end.
    bool failed = false;
    DWORD failure = 0;  // the error code of that failure
    bool at_eof = false;
    std::size_t count = 0;
    std::size_t next = 0;
    long long fault_after = -1;  // bytes still allowed before an injected read error
    std::unique_ptr<char[]> buffer;
};

Slot g_slots[FILE_SLOT_COUNT];

struct ReadFault {
    std::string path;
    long long after = 0;
};
ReadFault g_read_fault;

Slot* slot_at(int slot) {
    if (slot < 0 || slot >= FILE_SLOT_COUNT) return nullptr;
    return &g_slots[slot];
}

void mark_failed(Slot& s, DWORD error) {
    if (!s.failed) s.failure = error;
    s.failed = true;
}

bool write_fully(HANDLE handle, const char* data, std::size_t size, DWORD& error) {
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(size < MAX_TRANSFER ? size : MAX_TRANSFER);
        DWORD written = 0;
        if (!::WriteFile(handle, data, piece, &written, nullptr)) {
            error = ::GetLastError();
            return false;
        }
        if (written == 0) {
            error = ERROR_WRITE_FAULT;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void flush(Slot& s) {
    DWORD error = 0;
    if (s.count > 0 && !s.failed && !write_fully(s.handle, s.buffer.get(), s.count, error))
        mark_failed(s, error);
    s.count = 0;
}

bool fill(Slot& s) {
    if (s.next < s.count) return true;
    if (s.at_eof || s.mode != Mode::reading) return false;
    std::size_t wanted = BUFFER_SIZE;
    if (s.fault_after >= 0 && static_cast<long long>(wanted) > s.fault_after)
        wanted = static_cast<std::size_t>(s.fault_after);
    DWORD got = 0;
    bool ok = wanted > 0;
    DWORD error = ERROR_READ_FAULT;
    if (ok) {
        ok = ::ReadFile(s.handle, s.buffer.get(), static_cast<DWORD>(wanted), &got, nullptr) != 0;
        if (!ok) error = ::GetLastError();
    }
    if (!ok || got == 0) {
        if (!ok) mark_failed(s, error);
        s.at_eof = true;
        s.count = 0;
        s.next = 0;
        return false;
    }
    if (s.fault_after >= 0) s.fault_after -= got;
    s.count = got;
    s.next = 0;
    return true;
}

// The first line-end byte (LF, CR or 0) in [from, to), or `to`.
const char* find_line_end(const char* from, const char* to) {
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

// Puts a freshly opened handle into slot s, or closes it and fails when the
// file is not a plain file on a disk or may not be opened beside the other
// slots' files.
bool install(Slot& s, HANDLE handle, Mode mode) {
    FileId id;
    if (::GetFileType(handle) != FILE_TYPE_DISK || !telvor_win32::handle_id(handle, id)) {
        ::CloseHandle(handle);
        note_failure("it is not a plain file");
        return false;
    }
    if (telvor_win32::file_is_open_in_slot(id, mode == Mode::reading)) {
        ::CloseHandle(handle);
        note_failure("the file is in use by this run");
        return false;
    }
    if (!s.buffer) s.buffer = std::make_unique<char[]>(BUFFER_SIZE);
    s.handle = handle;
    s.mode = mode;
    s.id = id;
    s.failed = false;
    s.failure = 0;
    s.at_eof = false;
    s.count = 0;
    s.next = 0;
    s.fault_after = -1;
    return true;
}

// A new file where no entry stands (CREATE_NEW), shared with no one while
// it is written.
int create_exclusive(int slot, const Path& path) {
    Slot* s = slot_at(slot);
    if (s == nullptr) return 0;
    file_close(slot);
    const std::wstring name = telvor_win32::system_path(path.native);
    const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        note_failure(::GetLastError());
        return 0;
    }
    if (install(*s, handle, Mode::writing)) return 1;
    ::DeleteFileW(name.c_str());
    return 0;
}

// Removes whatever stands under a working file's name: a file (write
// protected or not), a link of either kind, an empty folder. A folder that
// is not empty stays, and so does a file open elsewhere without sharing
// deletion (the exclusive create then fails).
void remove_entry(const std::wstring& name) {
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        ::RemoveDirectoryW(name.c_str());
        return;
    }
    if (::DeleteFileW(name.c_str())) return;
    if ((attributes & FILE_ATTRIBUTE_READONLY) && ::GetLastError() == ERROR_ACCESS_DENIED &&
        ::SetFileAttributesW(name.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) &&
        !::DeleteFileW(name.c_str()))
        ::SetFileAttributesW(name.c_str(), attributes);
}

}  // namespace

namespace telvor_win32 {

bool file_is_open_in_slot(const FileId& id, bool writers_only) {
    for (const Slot& s : g_slots) {
        if (s.mode == Mode::closed) continue;
        if (writers_only && s.mode != Mode::writing) continue;
        if (s.id == id) return true;
    }
    return false;
}

}  // namespace telvor_win32

int file_open_read(int slot, const Path& path) {
    Slot* s = slot_at(slot);
    if (s == nullptr) return 0;
    file_close(slot);
    const std::wstring name = telvor_win32::system_path(path.native);
    const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            note_failure("it is a folder");
        else
            note_failure(error);
        return 0;
    }
    if (!install(*s, handle, Mode::reading)) return 0;
    if (!g_read_fault.path.empty() && g_read_fault.path == path.native)
        s->fault_after = g_read_fault.after;
    return 1;
}

void file_inject_read_error(const Path& path, long long after_bytes) {
    g_read_fault = {path.native, after_bytes};
}

int file_create(int slot, const Path& path) { return create_exclusive(slot, path); }

int file_create_working(int slot, const Path& path) {
    remove_entry(telvor_win32::system_path(path.native));
    return create_exclusive(slot, path);
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
            DWORD error = 0;
            if (!s->failed && !write_fully(s->handle, piece.data, piece.size, error))
                mark_failed(*s, error);
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
    if (s->mode == Mode::writing) flush(*s);
    if (!::CloseHandle(s->handle) && s->mode == Mode::writing) mark_failed(*s, ::GetLastError());
    const bool failed = s->failed;
    if (failed) note_failure(s->failure);
    s->handle = INVALID_HANDLE_VALUE;
    s->mode = Mode::closed;
    return failed ? 0 : 1;
}

void file_close_all() {
    for (int slot = 0; slot < FILE_SLOT_COUNT; ++slot) file_close(slot);
}

int file_delete(const Path& path) {
    const std::wstring name = telvor_win32::system_path(path.native);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    FileId id;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
        telvor_win32::path_id(name, id) && telvor_win32::file_is_open_in_slot(id, false)) {
        note_failure("the file is in use by this run");
        return 0;
    }
    if (!::DeleteFileW(name.c_str())) {
        note_failure(::GetLastError());
        return 0;
    }
    return 1;
}

int file_entry_exists(const Path& path) {
    const std::wstring name = telvor_win32::system_path(path.native);
    if (::GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                   error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME
               ? 0
               : 1;
}

int file_same(const Path& a, const Path& b) {
    using namespace telvor_win32;
    const std::wstring first = system_path(a.native), second = system_path(b.native);
    FileId one, two;
    if (path_id(first, one) && path_id(second, two)) return one == two ? 1 : 0;
    // A name not (yet) there is the same name when it stands in the same folder.
    if (!same_name(name_of(first), name_of(second))) return 0;
    return path_id(parent_of(first), one) && path_id(parent_of(second), two) && one == two ? 1 : 0;
}
