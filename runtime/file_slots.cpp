// The File slots.
//
// Every slot owns a buffer. Reading fills it with one read at a time and
// splits lines inside it; writing collects pieces in it and hands them to
// the system when it is full or the slot is closed. A write that fails
// marks the slot, and file_close reports it.
#include "runtime/file_slots.h"

#include <cstring>
#include <memory>

#include "runtime/file.h"
#include "runtime/file_failure.h"

namespace file_slots {
namespace {

constexpr std::size_t BUFFER_SIZE = FILE_BUFFER_SIZE;

struct Slot {
    os::Handle handle = os::NO_HANDLE;
    bool open = false;
    Mode mode = Mode::reading;
    Identity identity;
    // Writing: a write, flush or close failed; later pieces are dropped.
    // Reading: a read failed, so the end met was not the file's real end.
    bool failed = false;
    long failure = 0;  // the system's code of that failure
    // Reading: the end of the file (or a read error) has been met.
    bool at_eof = false;
    // Reading: bytes in the buffer and the position of the next unread one.
    // Writing: `count` is the number of bytes waiting in the buffer.
    std::size_t count = 0;
    std::size_t next = 0;
    std::unique_ptr<char[]> buffer;
};

Slot g_slots[FILE_SLOT_COUNT];

Slot* slot_at(int slot) {
    if (slot < 0 || slot >= FILE_SLOT_COUNT) return nullptr;
    return &g_slots[slot];
}

Slot* open_slot(int slot, Mode mode) {
    Slot* s = slot_at(slot);
    return s != nullptr && s->open && s->mode == mode ? s : nullptr;
}

void mark_failed(Slot& s, long error) {
    if (!s.failed) s.failure = error;
    s.failed = true;
}

void write_out(Slot& s, const char* data, std::size_t size) {
    if (!s.failed && !os::write(s.handle, data, size)) mark_failed(s, os::last_error());
}

// Writes out the buffer of a writing slot; a failure marks the slot and the
// buffered bytes are dropped.
void flush(Slot& s) {
    if (s.count > 0) write_out(s, s.buffer.get(), s.count);
    s.count = 0;
}

// Makes sure an unread byte is in the buffer of a reading slot; false at the
// end of the file. A read error counts as the end.
bool fill(Slot& s) {
    if (s.next < s.count) return true;
    if (s.at_eof) return false;
    const long long got = os::read(s.handle, s.buffer.get(), BUFFER_SIZE);
    s.count = 0;
    s.next = 0;
    if (got <= 0) {
        if (got < 0) mark_failed(s, os::last_error());
        s.at_eof = true;
        return false;
    }
    s.count = static_cast<std::size_t>(got);
    return true;
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

// Takes the line end at stop (in the buffer) as read. CR LF is one line end;
// a CR before any other byte leaves that byte unread.
void consume_line_end(Slot& s, const char* stop) {
    const char ending = *stop;
    s.next = static_cast<std::size_t>(stop - s.buffer.get()) + 1;
    if (ending == '\r' && fill(s) && s.buffer[s.next] == '\n') ++s.next;
}

// Writes a line and CR LF: two pieces, each into the buffer if it fits, else
// the buffer goes out first and a piece of a whole buffer or more directly.
void write_line(Slot& s, const char* data, std::size_t size) {
    static const char LINE_END[2] = {'\r', '\n'};
    const struct {
        const char* data;
        std::size_t size;
    } pieces[2] = {{data, size}, {LINE_END, 2}};
    for (const auto& piece : pieces) {
        if (piece.size <= BUFFER_SIZE - s.count) {
            std::memcpy(s.buffer.get() + s.count, piece.data, piece.size);
            s.count += piece.size;
            continue;
        }
        flush(s);
        if (piece.size >= BUFFER_SIZE) {
            write_out(s, piece.data, piece.size);
        } else {
            std::memcpy(s.buffer.get(), piece.data, piece.size);
            s.count = piece.size;
        }
    }
}

}  // namespace

bool prepare(int slot) {
    Slot* s = slot_at(slot);
    if (s == nullptr) return false;
    file_close(slot);
    if (!s->buffer) s->buffer = std::make_unique<char[]>(BUFFER_SIZE);
    return true;
}

bool install(int slot, os::Handle handle, const Identity& identity, Mode mode) {
    Slot* s = slot_at(slot);
    if (s == nullptr || holds(identity, mode == Mode::reading)) {
        os::close(handle);
        file_failure::note("the file is in use by this run");
        return false;
    }
    s->handle = handle;
    s->open = true;
    s->mode = mode;
    s->identity = identity;
    s->failed = false;
    s->failure = 0;
    s->at_eof = false;
    s->count = 0;
    s->next = 0;
    return true;
}

bool holds(const Identity& identity, bool writers_only) {
    for (const Slot& s : g_slots) {
        if (!s.open || (writers_only && s.mode != Mode::writing)) continue;
        if (s.identity == identity) return true;
    }
    return false;
}

}  // namespace file_slots

using file_slots::Mode;

int file_at_end(int slot) {
    file_slots::Slot* s = file_slots::open_slot(slot, Mode::reading);
    return s != nullptr && file_slots::fill(*s) ? 0 : 1;
}

Text file_read_line(int slot) {
    Text line;
    file_read_line_into(slot, line);
    return line;
}

void file_read_line_into(int slot, Text& line) {
    line.clear();
    file_slots::Slot* s = file_slots::open_slot(slot, Mode::reading);
    if (s == nullptr) return;
    while (file_slots::fill(*s)) {
        const char* begin = s->buffer.get() + s->next;
        const char* end = s->buffer.get() + s->count;
        const char* stop = file_slots::find_line_end(begin, end);
        line.append(begin, static_cast<std::size_t>(stop - begin));
        if (stop == end) {
            s->next = s->count;
            continue;
        }
        file_slots::consume_line_end(*s, stop);
        return;
    }
}

void file_read_line_trimmed(int slot, Text& line) {
    file_read_line_into(slot, line);
    line = text_trim_right(std::move(line));
}

int file_write_line(int slot, const Text& text) {
    file_slots::Slot* s = file_slots::open_slot(slot, Mode::writing);
    if (s == nullptr) return 0;
    file_slots::write_line(*s, text.data(), text.size());
    return static_cast<int>(text.size() + 2);
}

void file_copy_line(int from_slot, int to_slot, Text& scratch) {
    file_slots::Slot* in = file_slots::open_slot(from_slot, Mode::reading);
    file_slots::Slot* out = file_slots::open_slot(to_slot, Mode::writing);
    // A line that lies whole in the reading buffer goes straight across.
    if (in != nullptr && out != nullptr && file_slots::fill(*in)) {
        const char* begin = in->buffer.get() + in->next;
        const char* end = in->buffer.get() + in->count;
        const char* stop = file_slots::find_line_end(begin, end);
        if (stop != end) {
            const char* last = stop;
            while (last != begin && last[-1] == ' ') --last;
            file_slots::write_line(*out, begin, static_cast<std::size_t>(last - begin));
            file_slots::consume_line_end(*in, stop);
            return;
        }
    }
    file_read_line_trimmed(from_slot, scratch);
    file_write_line(to_slot, scratch);
}

int file_close(int slot) {
    file_slots::Slot* s = file_slots::slot_at(slot);
    if (s == nullptr || !s->open) return 1;
    if (s->mode == Mode::writing) file_slots::flush(*s);
    // A close that fails may have lost written bytes; on a file read it
    // tells of a device that fails, and the pass counts as incomplete too.
    if (!os::close(s->handle)) file_slots::mark_failed(*s, os::last_error());
    const bool failed = s->failed;
    if (failed) file_failure::note_code(s->failure);
    s->handle = os::NO_HANDLE;
    s->open = false;
    return failed ? 0 : 1;
}

void file_close_all() {
    for (int slot = 0; slot < FILE_SLOT_COUNT; ++slot) file_close(slot);
}
