// The File slots.
//
// Every open slot owns a buffer. Reading fills it with one read at a time and
// splits lines inside it; writing collects pieces in it and hands them to
// the system when it is full or the slot is closed, and starts them on their
// way to the disk at once. A full buffer is written by a thread of the File
// slots' own while the slot fills a second one. A write that fails marks
// the slot, and file_close reports it.
#include "fs/file_slots.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <system_error>
#include <thread>

#include "base/byte_scan.h"
#include "fs/file.h"

namespace file_slots {
namespace {

constexpr std::size_t BUFFER_SIZE = FILE_BUFFER_SIZE;
// A writing slot starts its bytes on their way to the disk each time this
// many more have been written: early enough that the flush which ends the
// file waits for the last of them only, seldom enough that the asking
// costs little.
constexpr std::size_t WRITEBACK_EVERY = std::size_t{1} << 20;

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
    // Reading: the bytes being read (the buffer's, or those of the text
    // that follows the file), their count and the position of the next
    // unread one. Writing: `count` is the number of bytes waiting in the
    // buffer.
    const char* data = nullptr;
    std::size_t count = 0;
    std::size_t next = 0;
    // Writing: bytes written since their writeback was last started.
    std::size_t unstarted = 0;
    // Reading: a read filled the whole buffer (the file is not a small one).
    bool large = false;
    std::unique_ptr<char[]> buffer;  // made before each file is opened, freed when it is closed
    // Writing: the buffer on its way to the system, or the one to be filled
    // next; made when the first buffer is full.
    std::unique_ptr<char[]> other;
    // Reading: gives the text whose lines follow the file's last line, asked
    // once at the file's end.
    std::function<std::string_view()> text_after;
    // Reading: a line that does not lie whole in the buffer is put together
    // here, for the line views handed out.
    std::string spill;
};

Slot g_slots[FILE_SLOT_COUNT];

inline Slot* slot_at(int slot) {
    if (slot < 0 || slot >= FILE_SLOT_COUNT) return nullptr;
    return &g_slots[slot];
}

inline Slot* open_slot(int slot, Mode mode) {
    Slot* s = slot_at(slot);
    return s != nullptr && s->open && s->mode == mode ? s : nullptr;
}

void mark_failed(Slot& s, long error) {
    if (!s.failed) s.failure = error;
    s.failed = true;
}

// write_started: the code of its failure, 0 when it succeeded.
long write_bytes(os::Handle handle, const char* data, std::size_t size, bool start_writeback) {
    return write_started(handle, data, size, start_writeback) ? 0 : os::last_error();
}

// Whether the bytes written so far should be started on their way to the
// disk once size more are written.
bool writeback_due(Slot& s, std::size_t size) {
    s.unstarted += size;
    if (s.unstarted < WRITEBACK_EVERY) return false;
    s.unstarted = 0;
    return true;
}

// The thread that writes the slots' full buffers while files are written.
// At most one buffer is on its way at a time, so the bytes reach the system
// in the order the slots wrote them, and the run waits for it (settle)
// before it writes itself or closes a file; the thread ends when the last
// file written is closed. The run's thread alone starts it, posts and
// settles; the writing thread touches no slot, only the bytes and handle it
// was given.
struct Writer {
    std::thread thread;
    std::mutex lock;
    std::condition_variable changed;
    bool posted = false;  // a buffer waits to be written or is being written
    bool quit = false;
    Slot* slot = nullptr;  // whose buffer was posted last
    os::Handle handle = os::NO_HANDLE;
    const char* data = nullptr;
    std::size_t size = 0;
    bool start_writeback = false;
    long failure = 0;  // of the last write, for its slot
};
// Never destroyed: a process that ends with a file still open for writing
// (the thread still there) ends without a word.
Writer& g_writer = *new Writer;

void writer_loop() {
    Writer& w = g_writer;
    std::unique_lock<std::mutex> held(w.lock);
    for (;;) {
        w.changed.wait(held, [&w] { return w.quit || w.data != nullptr; });
        if (w.data == nullptr) return;
        const os::Handle handle = w.handle;
        const char* const data = w.data;
        const std::size_t size = w.size;
        const bool start = w.start_writeback;
        held.unlock();
        const long failure = write_bytes(handle, data, size, start);
        held.lock();
        w.failure = failure;
        w.data = nullptr;
        w.posted = false;
        w.changed.notify_all();
    }
}

// Waits until no buffer is on its way; the slot it came from learns how
// its write went.
void settle() {
    Writer& w = g_writer;
    std::unique_lock<std::mutex> held(w.lock);
    w.changed.wait(held, [&w] { return !w.posted; });
    if (w.slot != nullptr && w.failure != 0) mark_failed(*w.slot, w.failure);
    w.slot = nullptr;
    w.failure = 0;
}

// Ends the writing thread once nothing is on its way.
void writer_stop() {
    Writer& w = g_writer;
    if (!w.thread.joinable()) return;
    settle();
    {
        const std::lock_guard<std::mutex> held(w.lock);
        w.quit = true;
        w.changed.notify_all();
    }
    w.thread.join();
    w.quit = false;
}

// Hands the slot's full buffer to the writing thread and gives the slot its
// other buffer to fill; false (nothing handed over) where no thread can be
// started or no second buffer made.
bool write_behind(Slot& s) {
    Writer& w = g_writer;
    if (!s.other) s.other.reset(new (std::nothrow) char[BUFFER_SIZE]);
    if (!s.other) return false;
    if (!w.thread.joinable()) {
        try {
            w.thread = std::thread(writer_loop);
        } catch (const std::system_error&) {
            return false;
        }
    }
    settle();
    if (s.failed) return true;  // an earlier write failed: the bytes are dropped
    std::swap(s.buffer, s.other);
    const std::lock_guard<std::mutex> held(w.lock);
    w.slot = &s;
    w.handle = s.handle;
    w.data = s.other.get();
    w.size = s.count;
    w.start_writeback = writeback_due(s, s.count);
    w.posted = true;
    w.changed.notify_all();
    return true;
}

// Whether a slot other than s is open for writing.
bool other_writer(const Slot& s) {
    for (const Slot& other : g_slots)
        if (&other != &s && other.open && other.mode == Mode::writing) return true;
    return false;
}

// Writes bytes out from the run's own thread, after any buffer on its way.
void write_out(Slot& s, const char* data, std::size_t size) {
    settle();
    if (s.failed || size == 0) return;
    if (const long failure = write_bytes(s.handle, data, size, writeback_due(s, size))) mark_failed(s, failure);
}

// Writes out the buffer of a writing slot, beside the run where it can; a
// failure marks the slot and the buffered bytes are dropped.
void flush(Slot& s) {
    if (s.count > 0 && !s.failed && !write_behind(s)) write_out(s, s.buffer.get(), s.count);
    s.count = 0;
}

// Makes sure an unread byte of the file is in the buffer of a reading slot;
// false at the end of the file. A read error counts as the end.
[[gnu::noinline]] bool refill(Slot& s);
inline bool fill(Slot& s) { return s.next < s.count || refill(s); }
bool refill(Slot& s) {
    if (s.next < s.count) return true;
    if (s.at_eof) return false;
    const long long got = os::read(s.handle, s.buffer.get(), BUFFER_SIZE);
    s.data = s.buffer.get();
    s.count = 0;
    s.next = 0;
    if (got <= 0) {
        if (got < 0) mark_failed(s, os::last_error());
        s.at_eof = true;
        return false;
    }
    s.count = static_cast<std::size_t>(got);
    if (s.count == BUFFER_SIZE) s.large = true;
    return true;
}

// The same where a line begins: at the end of the file the text that
// follows it is taken up (not after a failed read). A line of the file never
// runs on into that text, nor does a CR at the file's end take an LF of it.
[[gnu::noinline]] bool refill_line(Slot& s);
inline bool fill_line(Slot& s) { return s.next < s.count || refill_line(s); }
bool refill_line(Slot& s) {
    if (fill(s)) return true;
    if (!s.text_after || s.failed) return false;
    const std::string_view text = std::exchange(s.text_after, nullptr)();
    s.data = text.data();
    s.count = text.size();
    s.next = 0;
    return s.count > 0;
}

// The first line-end byte (LF, CR or 0) in [from, to), or `to`.
inline const char* find_line_end(const char* from, const char* to) { return byte_scan_line_end(from, to); }

// The end of the run of lines from `from` on, in [from, to), that go across
// as they are, at most count of them; count is lowered by their number.
const char* verbatim_lines(const char* from, const char* to, int& count) {
    std::string_view lines[64];
    while (count > 0) {
        const int asked = std::min(count, 64);
        const int found = byte_scan_verbatim_lines(from, to, asked, lines);
        if (found == 0) break;
        count -= found;
        from = lines[found - 1].data() + lines[found - 1].size() + 2;
        if (found < asked) break;
    }
    return from;
}

// Takes the line end at stop (in the buffer) as read. CR LF is one line end;
// a CR before any other byte leaves that byte unread.
void consume_line_end(Slot& s, const char* stop) {
    const char ending = *stop;
    s.next = static_cast<std::size_t>(stop - s.data) + 1;
    if (ending == '\r' && fill(s) && s.data[s.next] == '\n') ++s.next;
}

// The next line of a reading slot without its line end, in the buffer when
// it lies whole in it (and its line end is settled without reading
// further), else put together in the slot's spill buffer. Valid until the
// next read from the slot.
[[gnu::noinline]] std::string_view next_line_at_buffer_end(Slot& s);
inline std::string_view next_line(Slot& s) {
    if (s.next < s.count) {
        const char* const begin = s.data + s.next;
        const char* const end = s.data + s.count;
        const char* const stop = find_line_end(begin, end);
        // The line and the byte after its line end lie in the buffer.
        if (end - stop >= 2) {
            s.next = static_cast<std::size_t>(stop - s.data) + (stop[0] == '\r' && stop[1] == '\n' ? 2 : 1);
            return {begin, static_cast<std::size_t>(stop - begin)};
        }
    }
    return next_line_at_buffer_end(s);
}
std::string_view next_line_at_buffer_end(Slot& s) {
    if (!fill_line(s)) return {};
    const char* begin = s.data + s.next;
    const char* end = s.data + s.count;
    const char* stop = find_line_end(begin, end);
    if (stop != end && (*stop != '\r' || stop + 1 != end)) {
        consume_line_end(s, stop);
        return {begin, static_cast<std::size_t>(stop - begin)};
    }
    s.spill.clear();
    for (;;) {
        s.spill.append(begin, static_cast<std::size_t>(stop - begin));
        if (stop != end) {
            consume_line_end(s, stop);
            break;
        }
        s.next = s.count;
        if (!fill(s)) break;
        begin = s.data + s.next;
        end = s.data + s.count;
        stop = find_line_end(begin, end);
    }
    return s.spill;
}

// Writes a piece into the buffer if it fits, else the buffer goes out first
// and a piece of a whole buffer or more directly.
[[gnu::noinline]] void write_piece_past_buffer(Slot& s, const char* data, std::size_t size);
inline void write_piece(Slot& s, const char* data, std::size_t size) {
    if (size > BUFFER_SIZE - s.count) return write_piece_past_buffer(s, data, size);
    if (size == 0) return;
    std::memcpy(s.buffer.get() + s.count, data, size);
    s.count += size;
}
void write_piece_past_buffer(Slot& s, const char* data, std::size_t size) {
    flush(s);
    if (size >= BUFFER_SIZE) {
        write_out(s, data, size);
    } else {
        std::memcpy(s.buffer.get(), data, size);
        s.count = size;
    }
}

inline void write_line(Slot& s, const char* data, std::size_t size) {
    if (size + 2 > BUFFER_SIZE - s.count) {
        write_piece(s, data, size);
        return write_piece(s, "\r\n", 2);
    }
    char* const to = s.buffer.get() + s.count;
    if (size != 0) std::memcpy(to, data, size);
    to[size] = '\r';
    to[size + 1] = '\n';
    s.count += size + 2;
}

}  // namespace

bool write_started(os::Handle handle, const char* data, std::size_t size, bool start_writeback) {
    if (!os::write(handle, data, size)) return false;
    // Asked, not waited for; where the system cannot (a pipe, a system
    // without the call) nothing changes.
    if (start_writeback) (void)os::start_writeback(handle);
    return true;
}

bool prepare(int slot) {
    Slot* s = slot_at(slot);
    if (s == nullptr) return false;
    (void)file_close(slot);
    // Not filled with zeros: a small file touches only the pages it uses.
    s->buffer = std::make_unique_for_overwrite<char[]>(BUFFER_SIZE);
    return true;
}

FileResult install(int slot, os::Handle handle, const Identity& identity, Mode mode) {
    Slot* s = slot_at(slot);
    if (s == nullptr || holds(identity, mode == Mode::reading)) {
        os::close(handle);
        return own_failure("the file is in use by this run");
    }
    s->handle = handle;
    s->open = true;
    s->mode = mode;
    s->identity = identity;
    s->data = s->buffer.get();
    s->text_after = nullptr;
    s->failed = false;
    s->failure = 0;
    s->at_eof = false;
    s->count = 0;
    s->next = 0;
    s->unstarted = 0;
    s->large = false;
    return {};
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
    return s != nullptr && file_slots::fill_line(*s) ? 0 : 1;
}

void file_read_text_after(int slot, std::string_view text) {
    file_read_text_after(slot, [text] { return text; });
}

void file_read_text_after(int slot, std::function<std::string_view()> provide) {
    file_slots::Slot* s = file_slots::open_slot(slot, Mode::reading);
    if (s == nullptr) return;
    s->text_after = std::move(provide);
}

std::string_view file_read_line_view(int slot) {
    file_slots::Slot* s = file_slots::open_slot(slot, Mode::reading);
    return s == nullptr ? std::string_view() : file_slots::next_line(*s);
}

std::string_view file_read_line_trimmed(int slot) {
    return text_trim_right(file_read_line_view(slot));
}

int file_write_line(int slot, std::string_view text) {
    file_slots::Slot* s = file_slots::open_slot(slot, Mode::writing);
    if (s == nullptr) return 0;
    file_slots::write_line(*s, text.data(), text.size());
    return static_cast<int>(text.size() + 2);
}

void file_copy_lines(int from_slot, int to_slot, int count) {
    file_slots::Slot* in = file_slots::open_slot(from_slot, Mode::reading);
    file_slots::Slot* out = file_slots::open_slot(to_slot, Mode::writing);
    while (count != 0) {
        const bool more = in != nullptr && file_slots::fill_line(*in);
        if (count < 0 && !more) break;
        if (more && out != nullptr) {
            // Lines that already end in CR LF without a space before it come
            // out as they went in: such a run goes across in one piece.
            const char* const start = in->data + in->next;
            const char* const end = in->data + in->count;
            int unbounded = INT_MAX;
            const char* const run_end = file_slots::verbatim_lines(start, end, count < 0 ? unbounded : count);
            if (run_end != start) {
                file_slots::write_piece(*out, start, static_cast<std::size_t>(run_end - start));
                in->next = static_cast<std::size_t>(run_end - in->data);
                continue;
            }
        }
        // A line on its own: another line end, trailing spaces, the
        // buffer's end or the file's.
        file_write_line(to_slot, file_read_line_trimmed(from_slot));
        if (count > 0) --count;
    }
}

int file_skip_empty_line(int slot) {
    file_slots::Slot* s = file_slots::open_slot(slot, Mode::reading);
    if (s == nullptr || !file_slots::fill_line(*s)) return 0;
    const char* const begin = s->data + s->next;
    const char* const end = s->data + s->count;
    const char* stop = begin;
    while (stop != end && *stop == ' ') ++stop;
    // Any other line, or one whose spaces may go on in the next buffer, is left.
    if (stop == end || (*stop != '\n' && *stop != '\r' && *stop != 0)) return 0;
    file_slots::consume_line_end(*s, stop);
    return 1;
}

int file_peek_verbatim_lines(int slot, int count, std::string_view* lines) {
    file_slots::Slot* s = file_slots::open_slot(slot, Mode::reading);
    if (s == nullptr || !file_slots::fill_line(*s)) return 0;
    return byte_scan_verbatim_lines(s->data + s->next, s->data + s->count, count, lines);
}

void file_skip_bytes(int slot, std::size_t count) {
    file_slots::Slot* s = file_slots::open_slot(slot, Mode::reading);
    if (s != nullptr) s->next += std::min(count, s->count - s->next);
}

void file_write_bytes(int slot, std::string_view bytes) {
    if (file_slots::Slot* s = file_slots::open_slot(slot, Mode::writing)) file_slots::write_piece(*s, bytes.data(), bytes.size());
}

FileResult file_close(int slot) {
    file_slots::Slot* s = file_slots::slot_at(slot);
    if (s == nullptr) return {};
    // Closing frees the slot's memory: a run keeps open only the files of
    // the step it is in.
    const auto release = [s] {
        s->buffer.reset();
        s->other.reset();
        s->text_after = nullptr;
        std::string().swap(s->spill);
    };
    if (!s->open) {
        release();
        return {};
    }
    // The last bytes are written by the run itself, after those on their way;
    // the writing thread ends with the last file written.
    if (s->mode == Mode::writing) {
        file_slots::write_out(*s, s->buffer.get(), s->count);
        s->count = 0;
        if (!file_slots::other_writer(*s)) file_slots::writer_stop();
    }
    // A large file read to its end is about to be replaced: its cached
    // pages go beside the run, not when its last handle closes.
    if (s->mode == Mode::reading && s->at_eof && s->large) (void)os::forget_cached(s->handle);
    // A close that fails may have lost written bytes; on a file read it
    // tells of a device that fails, and the pass counts as incomplete too.
    if (!os::close(s->handle)) file_slots::mark_failed(*s, os::last_error());
    const bool failed = s->failed;
    const long failure = s->failure;
    s->handle = os::NO_HANDLE;
    s->open = false;
    release();
    if (failed) return code_failure(failure);
    return {};
}

void file_close_all() {
    for (int slot = 0; slot < FILE_SLOT_COUNT; ++slot) (void)file_close(slot);
}
