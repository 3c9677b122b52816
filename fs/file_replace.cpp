// Putting a completed working file in place of the Event file, so that the
// Event file is whole at every instant and keeps everything it had: its
// owner, group, permission bits, access control list and other extended
// attributes, and every name it has.
//
// Where the new content can be given all of that, it takes the Event
// file's place by one rename: the working file itself where both lie on one
// file system, else a flushed copy written beside the Event file; both
// folders are flushed after it. Where it cannot (another owner, a group the
// user is not in, an attribute that cannot be copied, several names), the
// Event file is rewritten in place under a rollback journal beside it: a
// complete, flushed copy of the old content, readable by its maker alone,
// named after what the file is (its number and birth), given its final
// name and its folder flushed before the first byte of the Event file
// changes, and removed only once the rewritten file is on the disk. A
// folder that may not be written takes no journal: the replacement is
// refused there.
//
// A run that finds a journal of its file puts the old content back first
// (file_recover), but only from a journal it may trust: a plain file with
// one name, made by this user or the administrator, removable by this
// run, naming this very file, whole and matching its checksum. Anything
// else under that name is left as it is, and the run changes nothing.
#include "fs/file.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/hash.h"
#include "fs/file_claims.h"
#include "fs/file_failure.h"
#include "fs/file_slots.h"
#include "sys/os.h"

namespace {

// The longest file name most file systems take.
constexpr std::size_t NAME_MAX_BYTES = 255;
constexpr char TEMP_MARKER[] = ".telvor-tmp-";
constexpr std::size_t SUFFIX_LENGTH = 6;
constexpr char JOURNAL_PREFIX[] = ".telvor-journal-";
constexpr char JOURNAL_MAGIC[] = "TELVOR journal 2\n";
constexpr std::size_t COPY_BUFFER_SIZE = 256 * 1024;
// A journal's header is short; it is read whole at once.
constexpr std::size_t HEADER_MAX = 256;
constexpr char SUM_MARK[] = "sum ";
constexpr std::size_t TRAILER_SIZE = sizeof SUM_MARK - 1 + 16 + 1;
constexpr std::size_t SUM_BLOCK = 64 * 1024;

enum class Step { done, cannot, failed };

// A checksum of a stream of bytes, the same however the stream is cut into
// pieces: the hashes of its blocks of SUM_BLOCK bytes, chained.
class Checksum {
public:
    void add(const char* data, std::size_t size) {
        while (size > 0) {
            if (block_.empty() && size >= SUM_BLOCK) {
                chain(std::string_view(data, SUM_BLOCK));
                data += SUM_BLOCK;
                size -= SUM_BLOCK;
                continue;
            }
            const std::size_t take = std::min(size, SUM_BLOCK - block_.size());
            block_.append(data, take);
            data += take;
            size -= take;
            if (block_.size() == SUM_BLOCK) {
                chain(block_);
                block_.clear();
            }
        }
    }
    std::uint64_t value() const {
        Checksum last = *this;
        if (!last.block_.empty()) last.chain(last.block_);
        return last.sum_ ^ last.length_;
    }

private:
    void chain(std::string_view block) {
        sum_ = (sum_ ^ text_hash(block)) * HASH_MULTIPLIER;
        sum_ ^= sum_ >> 31;
        length_ += block.size();
    }
    std::string block_;
    std::uint64_t sum_ = 0x243F6A8885A308D3ull, length_ = 0;
};

using file_slots::identity_of;

// A name cut to at most room bytes, never inside a UTF-8 sequence.
std::string cut_name(std::string name, std::size_t room) {
    if (name.size() <= room) return name;
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
    return name;
}

// The path a temporary file beside path begins with: its name, cut so that
// the whole name fits, and the marker.
std::string temporary_prefix(const std::string& path) {
    const std::size_t room = NAME_MAX_BYTES - (sizeof TEMP_MARKER - 1) - SUFFIX_LENGTH;
    return os::join(os::parent_of(path), cut_name(os::name_of(path), room) + TEMP_MARKER);
}

// The journal beside the Event file, named after what the file is, so that
// every name of it in that folder, however spelled, finds the same one.
std::string journal_beside(const std::string& target, const os::FileIdentity& id) {
    char name[96];
    if (id.extra != 0)
        std::snprintf(name, sizeof name, "%s%llx%016llx-%llx", JOURNAL_PREFIX, static_cast<unsigned long long>(id.extra),
                      static_cast<unsigned long long>(id.file), static_cast<unsigned long long>(id.born));
    else
        std::snprintf(name, sizeof name, "%s%llx-%llx", JOURNAL_PREFIX, static_cast<unsigned long long>(id.file),
                      static_cast<unsigned long long>(id.born));
    return os::join(os::parent_of(target), name);
}

// Notes the failure of the last system call: what was being done, to
// which file. False, for the callers' results.
bool failed(const char* doing, const std::string& path) {
    file_failure::note_system();
    file_failure::note_path(doing, path);
    return false;
}

Step failed_step(const char* doing, const std::string& path) {
    failed(doing, path);
    return Step::failed;
}

// A replacement the program refuses itself, for the reason the system would
// give for an error of that kind. 0, for file_replace's result.
int refuse(os::Error kind) {
    os::set_last_error(os::error_code(kind));
    file_failure::note_system();
    return 0;
}

// Reads size bytes, or fewer only at the end of the file.
bool read_fully(os::Handle handle, char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        const long long n = os::read(handle, buffer + got, size - got);
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

// A new private file under a fresh name that begins with prefix.
bool create_temporary(const std::string& prefix, std::string& name, os::Handle& handle) {
    static const char LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::uint64_t state = 0;
    if (state == 0)
        state = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                reinterpret_cast<std::uintptr_t>(&name) ^ 0x9E3779B97F4A7C15ull;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix;
        for (std::size_t i = 0; i < SUFFIX_LENGTH; ++i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            name.push_back(LETTERS[state % (sizeof LETTERS - 1)]);
        }
        if (os::open(name, os::Open::create_private, handle)) return true;
        if (os::last_error_kind() != os::Error::exists) return false;
    }
    return false;
}

// Copies the rest of the open file from to to, or exactly its next bytes
// (fewer there fail); the count, and the checksum of what was copied.
bool copy_bytes(os::Handle from, os::Handle to, std::uint64_t& copied, Checksum* sum,
                const std::uint64_t* exactly) {
    const std::unique_ptr<char[]> buffer(new char[COPY_BUFFER_SIZE]);
    copied = 0;
    for (;;) {
        std::size_t want = COPY_BUFFER_SIZE;
        if (exactly != nullptr) {
            if (copied == *exactly) return true;
            want = static_cast<std::size_t>(std::min<std::uint64_t>(want, *exactly - copied));
        }
        const long long got = os::read(from, buffer.get(), want);
        if (got < 0) return false;
        if (got == 0) {
            if (exactly == nullptr) return true;
            os::set_last_error(os::error_code(os::Error::other));
            file_failure::note("the file ended early");
            return false;
        }
        if (!os::write(to, buffer.get(), static_cast<std::size_t>(got))) return false;
        if (sum != nullptr) sum->add(buffer.get(), static_cast<std::size_t>(got));
        copied += static_cast<std::uint64_t>(got);
    }
}

// A file opened for a moment: closed whatever happens.
struct Opened {
    os::Handle handle = os::NO_HANDLE;
    ~Opened() {
        if (handle != os::NO_HANDLE) os::close(handle);
    }
    // Closes it now; false when the close failed.
    bool close() {
        const os::Handle h = handle;
        handle = os::NO_HANDLE;
        return os::close(h);
    }
};

// The call that failed was refused (the system does not permit it, or has
// no such thing): the new content cannot take the old one's identity.
Step refused_or_failed(const std::string& target) {
    if (os::last_error_kind() == os::Error::refused) return Step::cannot;
    failed("keep the owner, permissions and attributes of", target);
    return Step::failed;
}

// Gives the open new file the target's owner, group, permission bits and
// extended attributes (its access control list among them), and nothing
// more.
Step give_identity(os::Handle handle, const std::string& target, const os::Info& old) {
    os::Info now;
    if (!os::handle_info(handle, now)) return refused_or_failed(target);
    if ((now.owner != old.owner || now.group != old.group) && !os::set_owner(handle, old.owner, old.group))
        return refused_or_failed(target);
    // A change of owner clears the set-id bits: the bits come after it.
    if (!os::set_mode(handle, old.mode)) return refused_or_failed(target);

    Opened source;
    std::vector<std::string> wanted, present;
    if (!os::open(target, os::Open::read, source.handle)) return refused_or_failed(target);
    if (!os::list_attributes(source.handle, wanted) || !os::list_attributes(handle, present))
        return refused_or_failed(target);
    std::string value;
    for (const std::string& name : wanted) {
        if (!os::get_attribute(source.handle, name, value) || !os::set_attribute(handle, name, value))
            return refused_or_failed(target);
    }
    for (const std::string& name : present) {
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() && !os::remove_attribute(handle, name))
            return refused_or_failed(target);
    }
    if (!source.close()) return refused_or_failed(target);
    return Step::done;
}

struct Replacement {
    std::string working;  // the completed working file
    os::Info working_info;
    std::string target;   // the Event file, links followed
    os::Info old;         // what it is now
    std::string folder;   // the folder that holds it
    os::Info folder_info;
    bool folder_writable = false;
};

// The new content given the target's identity and renamed over it: the
// working file itself where both share a file system, else a copy beside
// the target.
Step replace_by_rename(const Replacement& r, bool copy) {
    std::string fresh = r.working;
    Opened out;
    if (copy) {
        Opened in;
        std::uint64_t copied = 0;
        if (!os::open(r.working, os::Open::read, in.handle)) return failed_step("read", r.working);
        if (!create_temporary(temporary_prefix(r.target), fresh, out.handle))
            return failed_step("write a copy of the new content beside", r.target);
        bool whole = copy_bytes(in.handle, out.handle, copied, nullptr, nullptr) ||
                     failed("write a copy of the new content beside", r.target);
        if (!in.close() && whole) whole = failed("read", r.working);
        if (!whole) {
            out.close();
            os::remove(fresh);
            return Step::failed;
        }
    } else if (!os::open(r.working, os::Open::write_existing, out.handle)) {
        return failed_step("open", r.working);
    }

    const Step kept = r.old.kind == os::Kind::missing ? Step::done : give_identity(out.handle, r.target, r.old);
    bool ok = kept == Step::done;
    if (ok && !os::sync(out.handle)) ok = failed("write", fresh);
    if (!out.close() && ok) ok = failed("write", fresh);
    if (ok && !os::rename(fresh, r.target)) {
        // One file system mounted in two places still refuses the rename
        // between them: the copy serves there.
        if (!copy && os::last_error_kind() == os::Error::cross_device) return replace_by_rename(r, true);
        ok = failed("replace", r.target);
    }
    if (!ok) {
        if (copy) os::remove(fresh);
        return kept == Step::cannot ? Step::cannot : Step::failed;
    }
    if (!os::sync_folder(r.folder)) return failed_step("flush the folder", r.folder);
    if (copy) {
        os::remove(r.working);
    } else {
        // The working file's folder lost a name: flushed as well, so that
        // no power cut leaves that name on the disk as a second name of the
        // Event file.
        const std::string from = os::parent_of(r.working);
        os::Info info;
        if (!os::path_info(from, info)) return failed_step("flush the folder", from);
        if ((info.device != r.folder_info.device || info.file != r.folder_info.file) && !os::sync_folder(from))
            return failed_step("flush the folder", from);
    }
    os::Info now;
    if (r.old.kind == os::Kind::file && os::path_info(r.target, now) && now.kind == os::Kind::file)
        file_claims::moved(r.old, r.target, now);
    return Step::done;
}

// The header of a journal: what it is, the file it belongs to (as the
// system tells it) and the length of the old content that follows it. A
// trailer after the content holds its checksum.
std::string journal_header(const os::FileIdentity& id, std::uint64_t size) {
    char line[160];
    std::snprintf(line, sizeof line, "file %llx %llx %llx %llx\nsize %llu\n\n",
                  static_cast<unsigned long long>(id.file), static_cast<unsigned long long>(id.extra),
                  static_cast<unsigned long long>(id.born), static_cast<unsigned long long>(id.born_fine),
                  static_cast<unsigned long long>(size));
    return JOURNAL_MAGIC + std::string(line);
}

std::string journal_trailer(std::uint64_t sum) {
    char line[TRAILER_SIZE + 1];
    std::snprintf(line, sizeof line, "%s%016llx\n", SUM_MARK, static_cast<unsigned long long>(sum));
    return line;
}

// Opens target to write it over, and makes sure it is still the file meant.
bool open_to_overwrite(const std::string& target, const os::Info& meant, Opened& out) {
    os::Info info;
    if (!os::open(target, os::Open::write_existing, out.handle) || !os::handle_info(out.handle, info)) return false;
    if (info.device == meant.device && info.file == meant.file) return true;
    os::set_last_error(os::error_code(os::Error::other));
    file_failure::note("another file took its name");
    return false;
}

// Writes the open file from (all of it, or its next `exactly` bytes) over
// the file at target from its first byte, cuts it to that length and
// flushes it.
bool overwrite(os::Handle from, const std::string& target, const os::Info& meant, const std::uint64_t* exactly) {
    Opened out;
    std::uint64_t copied = 0;
    if (!open_to_overwrite(target, meant, out) || !copy_bytes(from, out.handle, copied, nullptr, exactly) ||
        !os::truncate(out.handle, copied) || !os::sync(out.handle))
        return false;
    return out.close();
}

// Makes the journal whole under its final name: the old content of the
// target written to a private temporary file beside it, flushed, renamed,
// and the folder flushed, before anything else happens to the target.
bool write_journal(const Replacement& r, const std::string& journal, const os::FileIdentity& id) {
    Opened in, out;
    std::string temporary;
    os::Info info;
    std::uint64_t copied = 0;
    if (!os::open(r.target, os::Open::read, in.handle) || !os::handle_info(in.handle, info))
        return failed("read", r.target);
    if (!create_temporary(temporary_prefix(journal), temporary, out.handle))
        return failed("write the journal", journal);
    const std::string header = journal_header(id, info.size);
    Checksum sum;
    bool ok = os::write(out.handle, header.data(), header.size()) &&
              copy_bytes(in.handle, out.handle, copied, &sum, nullptr);
    const std::string trailer = journal_trailer(sum.value());
    ok = ok && os::write(out.handle, trailer.data(), trailer.size()) && os::sync(out.handle);
    if (!in.close() && ok) {
        ok = failed("read", r.target);
    } else if (ok && (copied != info.size || info.device != r.old.device || info.file != r.old.file)) {
        os::set_last_error(os::error_code(os::Error::other));
        ok = false;
        file_failure::note("the file changed while it was copied");
        file_failure::note_path("write the journal", journal);
    } else if (!ok) {
        failed("write the journal", journal);
    }
    if (!out.close() && ok) ok = failed("write the journal", journal);
    if (ok && !os::rename(temporary, journal)) ok = failed("write the journal", journal);
    if (!ok) {
        os::remove(temporary);
        return false;
    }
    // A journal whose name may not be on the disk protects nothing: the
    // Event file is not touched then.
    if (os::sync_folder(os::parent_of(journal))) return true;
    failed("flush the folder", os::parent_of(journal));
    os::remove(journal);
    return false;
}

// A journal found, checked and found fit to apply.
struct Journal {
    std::string path;
    os::Info info;
    std::size_t header_size = 0;
    std::uint64_t content_size = 0;
};

enum class Verdict { fit, refused, failed };

Verdict refused_because(Recovery& said, const std::string& why) {
    said.why = why;
    return Verdict::refused;
}

Verdict failed_verdict(const char* doing, const std::string& path) {
    failed(doing, path);
    return Verdict::failed;
}

// Whether this run may remove the journal afterwards: it may write the
// folder, and in a folder where only an entry's owner may remove it
// (sticky), it owns the journal or the folder, or is the administrator.
bool removable(const std::string& folder, const std::string& owner, const std::string& me) {
    std::string target;
    os::Info info;
    if (!os::final_info(folder, target, info) || !os::may_write(target)) return false;
    if ((info.mode & os::STICKY) == 0 || owner == me || os::is_administrator(me)) return true;
    Opened opened;
    std::string folder_owner;
    return os::open(target, os::Open::read, opened.handle) && os::owner_of(opened.handle, folder_owner) &&
           folder_owner == me;
}

// Checks what stands under a journal's name, and reads it whole to check
// its content against its checksum. Fit only where it is a plain file with
// one name (opened without following a link, checked on the open entry),
// made by this user or the administrator, removable by this run, the
// journal of this very file (id, on the same device), and whole.
Verdict examine(const std::string& journal, const os::Info& target_info,
                const os::FileIdentity& id, Recovery& said, Journal& found) {
    // What it is and whose, told by the entry itself, opened without
    // following a link and without the right to read it.
    Opened entry;
    if (!os::open(journal, os::Open::inspect, entry.handle)) {
        file_failure::note_system();
        return refused_because(said, std::string("it cannot be read: ") + file_failure_reason().c_str());
    }
    if (!os::handle_info(entry.handle, found.info)) return failed_verdict("read the journal", journal);
    if (found.info.kind == os::Kind::link) return refused_because(said, "it is a link");
    if (found.info.kind == os::Kind::folder) return refused_because(said, "it is a folder");
    if (found.info.kind != os::Kind::file) return refused_because(said, "it is not a plain file");
    if (found.info.links != 1) return refused_because(said, "it has more than one name");
    std::string owner, me;
    if (!os::owner_of(entry.handle, owner) || !os::process_user(me)) return failed_verdict("read the journal", journal);
    if (owner != me && !os::is_administrator(owner)) {
        if (!os::account_name(owner, said.stranger)) said.stranger = owner;
        return refused_because(said, "it belongs to " + said.stranger);
    }
    if (!removable(os::parent_of(journal), owner, me)) return refused_because(said, "this run may not remove it");
    // The same file, opened to be read.
    Opened in;
    os::Info info;
    if (!os::open(journal, os::Open::read_entry, in.handle)) {
        file_failure::note_system();
        return refused_because(said, std::string("it cannot be read: ") + file_failure_reason().c_str());
    }
    if (!os::handle_info(in.handle, info)) return failed_verdict("read the journal", journal);
    if (info.device != found.info.device || info.file != found.info.file)
        return refused_because(said, "it changed while it was looked at");
    found.path = journal;
    std::string start(HEADER_MAX, '\0');
    std::size_t have = 0;
    if (!read_fully(in.handle, start.data(), start.size(), have)) return failed_verdict("read the journal", journal);
    start.resize(have);
    if (!start.starts_with(JOURNAL_MAGIC)) return refused_because(said, "it is no journal of TELVOR's");
    const std::string expected = journal_header(id, 0);
    const std::size_t size_at = expected.rfind("size ") + 5;
    if (start.compare(0, size_at, expected, 0, size_at) != 0 || found.info.device != target_info.device)
        return refused_because(said, "it is the journal of another file");
    const std::size_t end = start.find("\n\n", size_at);
    std::uint64_t size = 0;
    bool digits = end != std::string::npos && end > size_at && end - size_at <= 19;
    for (std::size_t i = size_at; digits && i < end; ++i) {
        digits = start[i] >= '0' && start[i] <= '9';
        size = size * 10 + static_cast<std::uint64_t>(start[i] - '0');
    }
    if (!digits) return refused_because(said, "it is incomplete");
    found.header_size = end + 2;
    found.content_size = size;
    if (found.info.size != found.header_size + size + TRAILER_SIZE) return refused_because(said, "it is incomplete");

    // The whole content against its checksum: the bytes read with the
    // header first, then the rest.
    std::size_t served = found.header_size;
    const auto take = [&](char* into, std::size_t want, std::size_t& got) {
        got = std::min(want, have - std::min(have, served));
        std::memcpy(into, start.data() + served, got);
        served += got;
        std::size_t more = 0;
        if (got < want && !read_fully(in.handle, into + got, want - got, more)) return false;
        got += more;
        return true;
    };
    Checksum sum;
    const std::unique_ptr<char[]> buffer(new char[COPY_BUFFER_SIZE]);
    for (std::uint64_t left = size; left > 0;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, COPY_BUFFER_SIZE));
        std::size_t got = 0;
        if (!take(buffer.get(), want, got)) return failed_verdict("read the journal", journal);
        if (got != want) return refused_because(said, "it is incomplete");
        sum.add(buffer.get(), got);
        left -= got;
    }
    std::string trailer(TRAILER_SIZE, '\0');
    std::size_t got = 0;
    if (!take(trailer.data(), trailer.size(), got)) return failed_verdict("read the journal", journal);
    if (trailer != journal_trailer(sum.value())) return refused_because(said, "its content does not match its checksum");
    if (!in.close()) return failed_verdict("read the journal", journal);
    return Verdict::fit;
}

// Puts the old content of a journal found fit back into target, then
// removes the journal and flushes its folder.
bool apply(const Journal& journal, const std::string& target, const os::Info& target_info) {
    Opened in;
    os::Info info;
    if (!os::open(journal.path, os::Open::read_entry, in.handle) || !os::handle_info(in.handle, info))
        return failed("read the journal", journal.path);
    std::string header(journal.header_size, '\0');
    std::size_t got = 0;
    if (info.device != journal.info.device || info.file != journal.info.file || info.size != journal.info.size ||
        !read_fully(in.handle, header.data(), header.size(), got) || got != header.size()) {
        if (os::last_error() == 0) os::set_last_error(os::error_code(os::Error::other));
        return failed("read the journal", journal.path);
    }
    if (!overwrite(in.handle, target, target_info, &journal.content_size))
        return failed("restore the old content of", target);
    if (!in.close()) return failed("read the journal", journal.path);
    if (!os::remove(journal.path)) return failed("remove the journal", journal.path);
    if (!os::sync_folder(os::parent_of(journal.path))) return failed("flush the folder", os::parent_of(journal.path));
    return true;
}

// Removes the temporary files of replacements and journals killed before
// they were whole: plain files beside target named by one of the prefixes
// and six letters.
void remove_leftovers(const std::string& target, const std::vector<std::string>& prefixes) {
    std::vector<std::string> names;
    const std::string folder = os::parent_of(target);
    if (!os::list_folder(folder, names)) return;
    for (const std::string& name : names) {
        for (const std::string& prefix : prefixes) {
            const std::string start = os::name_of(prefix);
            if (name.size() != start.size() + SUFFIX_LENGTH || name.compare(0, start.size(), start) != 0) continue;
            os::Info info;
            const std::string leftover = os::join(folder, name);
            if (os::path_info(leftover, info) && info.kind == os::Kind::file) os::remove(leftover);
        }
    }
}

// The target rewritten in place under a rollback journal beside it.
bool rewrite_in_place(const Replacement& r) {
    os::FileIdentity id;
    if (!os::identify(r.target, id)) return failed("read", r.target);
    const std::string journal = journal_beside(r.target, id);
    // What stands under the journal's name now was put there by someone else.
    os::Info entry;
    if (!os::path_info(journal, entry)) return failed("write the journal", journal);
    if (entry.kind != os::Kind::missing) {
        os::set_last_error(os::error_code(os::Error::exists));
        file_failure::note("another entry has its name");
        file_failure::note_path("write the journal", journal);
        return false;
    }
    if (!write_journal(r, journal, id)) return false;

    Opened in;
    bool ok = os::open(r.working, os::Open::read, in.handle) || failed("read", r.working);
    if (ok && !overwrite(in.handle, r.target, r.old, nullptr)) ok = failed("rewrite", r.target);
    if (in.handle != os::NO_HANDLE && !in.close() && ok) ok = failed("read", r.working);
    if (ok) {
        // The rewritten file is on the disk: the journal has done its work.
        if (!os::remove(journal)) return failed("remove the journal", journal);
        if (!os::sync_folder(os::parent_of(journal))) return failed("flush the folder", os::parent_of(journal));
        os::remove(r.working);
        return true;
    }
    // Rolled back at once, from the journal as it is on the disk; where
    // even that fails the journal stays for the next run, and the failure
    // says so.
    const std::string reason = file_failure_reason().c_str(), doing = file_failure_doing(),
                      path = file_failure_path().native;
    Recovery said;
    Journal found;
    const Verdict verdict = examine(journal, r.old, id, said, found);
    if (verdict != Verdict::fit || !apply(found, r.target, r.old)) {
        file_failure::note((reason + "; its old content waits in " + journal).c_str());
        file_failure::note_path("rewrite", r.target);
        return false;
    }
    file_failure::note(reason.c_str());
    file_failure::note_path(doing.c_str(), path);
    return false;
}

}  // namespace

int file_replace(const Path& source, const Path& destination) {
    file_failure::clear_path();
    Replacement r;
    r.working = source.native;
    if (source.empty() || destination.empty()) return refuse(os::Error::missing);
    if (!os::final_info(destination.native, r.target, r.old)) {
        file_failure::note_system();
        return 0;
    }
    // A file held open by a slot is not replaced under it.
    if (r.old.kind != os::Kind::missing && file_slots::holds(identity_of(r.old), false)) {
        file_failure::note("the file is in use by this run");
        return 0;
    }
    // A working file that vanished is named, not the Event file.
    if (os::path_info(r.working, r.working_info) && r.working_info.kind == os::Kind::missing)
        os::set_last_error(os::error_code(os::Error::missing));
    if (r.working_info.kind == os::Kind::missing) {
        failed("read", r.working);
        return 0;
    }
    // A file still being written in a slot has bytes that are not on disk yet.
    if (r.working_info.kind != os::Kind::file || file_slots::holds(identity_of(r.working_info), true)) {
        file_failure::note("the working file is not complete");
        file_failure::note_path("read", r.working);
        return 0;
    }
    if (r.old.kind != os::Kind::missing && r.old.kind != os::Kind::file) {
        file_failure::note("it is not a plain file");
        return 0;
    }
    // Write protection holds for everyone, full privileges included; the
    // system's own reason is kept (a read-only file system says so).
    if (r.old.kind == os::Kind::file && r.old.read_only) return refuse(os::Error::refused);
    if (r.old.kind == os::Kind::file && !os::may_write(r.target)) {
        file_failure::note_system();
        return 0;
    }
    r.folder = os::parent_of(r.target);
    std::string folder_target;
    if (!os::final_info(r.folder, folder_target, r.folder_info)) {
        file_failure::note_system();
        return 0;
    }
    if (r.folder_info.kind != os::Kind::folder) return refuse(os::Error::missing);
    r.folder_writable = os::may_write(r.folder);
    if (!r.folder_writable && r.old.kind == os::Kind::missing) {
        file_failure::note_system();
        return 0;
    }
    if (r.old.kind == os::Kind::file) {
        // One run at a time on the file, by whatever name.
        switch (file_claims::hold(r.target, r.old)) {
        case os::Lock::taken:
            break;
        case os::Lock::busy:
            file_failure::note("another TELVOR run holds the file");
            return 0;
        case os::Lock::failed:
            file_failure::note_system();
            return 0;
        }
        // No journal anywhere but beside the file: a folder that may not be
        // written takes neither a new file nor a journal.
        if (!r.folder_writable) {
            file_failure::note("its folder may not be written, so no journal can guard a rewrite in place");
            return 0;
        }
        if (r.old.links > 1) return rewrite_in_place(r) ? 1 : 0;
    }
    switch (replace_by_rename(r, r.working_info.device != r.folder_info.device)) {
    case Step::done:
        return 1;
    case Step::cannot:
        file_failure::clear_path();
        return rewrite_in_place(r) ? 1 : 0;
    case Step::failed:
        break;
    }
    return 0;
}

Path file_journal_path(const Path& path) {
    std::string target;
    os::FileIdentity id;
    if (!os::final_path(path.native, target) || !os::identify(target, id)) return Path();
    return Path{journal_beside(target, id)};
}

Recovery file_recover(const Path& path) {
    file_failure::clear_path();
    Recovery said;
    std::string target;
    os::Info old;
    if (!os::final_path(path.native, target)) return said;
    if (!os::path_info(target, old) || old.kind != os::Kind::file) {
        remove_leftovers(target, {temporary_prefix(target)});
        return said;
    }
    os::FileIdentity id;
    if (!os::identify(target, id)) {
        failed("read", target);
        said.outcome = Recovery::Outcome::failed;
        return said;
    }
    const std::string journal = journal_beside(target, id);
    remove_leftovers(target, {temporary_prefix(target), temporary_prefix(journal)});
    os::Info entry;
    if (!os::path_info(journal, entry)) {
        failed("read the journal", journal);
        said.outcome = Recovery::Outcome::failed;
        said.journal = Path{journal};
        return said;
    }
    if (entry.kind == os::Kind::missing) return said;
    said.journal = Path{journal};
    Journal found;
    switch (examine(journal, old, id, said, found)) {
    case Verdict::fit:
        said.outcome = apply(found, target, old) ? Recovery::Outcome::restored : Recovery::Outcome::failed;
        break;
    case Verdict::refused:
        said.outcome = Recovery::Outcome::refused;
        break;
    case Verdict::failed:
        said.outcome = Recovery::Outcome::failed;
        break;
    }
    return said;
}
