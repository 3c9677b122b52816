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
#include "fs/replace.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/hash.h"
#include "fs/file_claims.h"
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

// What one way of replacing came to: done; cannot (the system refused
// what it needs, so the other way serves); failed (why).
enum class Step { done, cannot, failed };
struct Attempt {
    Step step = Step::done;
    Failure failure;
};
Attempt failed_attempt(Failure failure) { return {Step::failed, std::move(failure)}; }

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
    return path_join(path_parent(path), cut_name(path_name(path), room) + TEMP_MARKER);
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
    return path_join(path_parent(target), name);
}

// The failure made one about another file: what was being done to it.
Failure about(Failure failure, const char* doing, const std::string& path) {
    failure.doing = doing;
    failure.path = path;
    return failure;
}

// A replacement the program refuses itself, for the reason the system would
// give for an error of that kind.
Failure refusal(os::Error kind) { return code_failure(os::error_code(kind)); }

// What the system has no call for (Windows: folder flushes, POSIX owners,
// permission bits and extended attributes, telling whether a file may be
// written before it is opened) asks nothing of a replacement.
bool unsupported() { return os::last_error_kind() == os::Error::unsupported; }
// A folder's names on the disk; where the system has no folder flushes,
// it writes them through itself.
bool folder_flushed(const std::string& folder) { return os::sync_folder(folder) || unsupported(); }
// Whether the entry may be written; where the system cannot tell
// beforehand, the open tells.
bool may_be_written(const std::string& path) { return os::may_write(path) || unsupported(); }

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
    if (state == 0) {
        std::uint64_t seed = 0;
        if (!os::random_seed(seed)) seed = 0;
        state = seed ^ reinterpret_cast<std::uintptr_t>(&name) ^ HASH_MULTIPLIER;
        if (state == 0) state = HASH_MULTIPLIER;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix;
        for (std::size_t i = 0; i < SUFFIX_LENGTH; ++i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            name.push_back(LETTERS[state % (sizeof LETTERS - 1)]);
        }
        if (os::create(name, os::Create::user_only, handle)) return true;
        if (os::last_error_kind() != os::Error::exists) return false;
    }
    return false;
}

// Copies the rest of the open file from to to, or exactly its next bytes
// (fewer there fail); the count, and the checksum of what was copied.
FileResult copy_bytes(os::Handle from, os::Handle to, std::uint64_t& copied, Checksum* sum,
                      const std::uint64_t* exactly) {
    const std::unique_ptr<char[]> buffer(new char[COPY_BUFFER_SIZE]);
    copied = 0;
    for (;;) {
        std::size_t want = COPY_BUFFER_SIZE;
        if (exactly != nullptr) {
            if (copied == *exactly) return {};
            want = static_cast<std::size_t>(std::min<std::uint64_t>(want, *exactly - copied));
        }
        const long long got = os::read(from, buffer.get(), want);
        if (got < 0) return system_failure();
        if (got == 0) {
            if (exactly == nullptr) return {};
            return own_failure("the file ended early");
        }
        if (!file_slots::write_started(to, buffer.get(), static_cast<std::size_t>(got))) return system_failure();
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

// The call that failed was refused (the system does not permit it for this
// file): the new content cannot take the old one's identity.
Attempt refused_or_failed(const std::string& target) {
    if (os::last_error_kind() == os::Error::refused) return {Step::cannot, {}};
    return failed_attempt(system_failure("keep the owner, permissions and attributes of", target));
}

// Gives the open new file the target's owner, group, permission bits and
// extended attributes (its access control list among them), and nothing
// more. Of what the system has none (its entry is unsupported) there is
// nothing to give: such a system keeps a file's identity on a replacement
// by itself (os::replace).
Attempt give_identity(os::Handle handle, const std::string& target, const os::Info& old) {
    os::Info now;
    if (!os::handle_info(handle, now)) return refused_or_failed(target);
    if ((now.owner != old.owner || now.group != old.group) && !os::set_owner(handle, old.owner, old.group) &&
        !unsupported())
        return refused_or_failed(target);
    // A change of owner clears the set-id bits: the bits come after it.
    if (!os::set_mode(handle, old.mode) && !unsupported()) return refused_or_failed(target);

    Opened source;
    std::vector<std::string> wanted, present;
    if (!os::open(target, os::Open::read, source.handle)) return refused_or_failed(target);
    if (os::list_attributes(source.handle, wanted)) {
        if (!os::list_attributes(handle, present)) return refused_or_failed(target);
        std::string value;
        for (const std::string& name : wanted) {
            if (!os::get_attribute(source.handle, name, value) || !os::set_attribute(handle, name, value))
                return refused_or_failed(target);
        }
        for (const std::string& name : present) {
            if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() && !os::remove_attribute(handle, name))
                return refused_or_failed(target);
        }
    } else if (!unsupported()) {
        return refused_or_failed(target);
    }
    if (!source.close()) return refused_or_failed(target);
    return {};
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

// Puts the new content in place of the target: over an existing file by
// the system's replacement where the system keeps the file's identity
// itself, else (and where nothing is there yet) by a rename.
bool put_in_place(const std::string& fresh, const Replacement& r) {
    if (r.old.kind != os::Kind::missing) {
        if (os::replace(fresh, r.target)) return true;
        if (!unsupported()) return false;
    }
    return os::rename(fresh, r.target);
}

// The new content given the target's identity and renamed over it: the
// working file itself where both share a file system, else a copy beside
// the target.
Attempt replace_by_rename(const Replacement& r, bool copy) {
    std::string fresh = r.working;
    Opened out;
    if (copy) {
        Opened in;
        std::uint64_t copied = 0;
        if (!os::open(r.working, os::Open::read, in.handle)) return failed_attempt(system_failure("read", r.working));
        if (!create_temporary(temporary_prefix(r.target), fresh, out.handle))
            return failed_attempt(system_failure("write a copy of the new content beside", r.target));
        FileResult whole = copy_bytes(in.handle, out.handle, copied, nullptr, nullptr);
        if (!whole) whole = about(whole.failure(), "write a copy of the new content beside", r.target);
        if (!in.close() && whole) whole = system_failure("read", r.working);
        if (!whole) {
            out.close();
            os::remove(fresh);
            return failed_attempt(whole.failure());
        }
    } else if (!os::open(r.working, os::Open::write_existing, out.handle)) {
        return failed_attempt(system_failure("open", r.working));
    }

    Attempt kept = r.old.kind == os::Kind::missing ? Attempt{} : give_identity(out.handle, r.target, r.old);
    if (kept.step == Step::done && !os::sync(out.handle)) kept = failed_attempt(system_failure("write", fresh));
    if (!out.close() && kept.step == Step::done) kept = failed_attempt(system_failure("write", fresh));
    if (kept.step == Step::done && !put_in_place(fresh, r)) {
        // One file system mounted in two places still refuses the rename
        // between them: the copy serves there.
        if (!copy && os::last_error_kind() == os::Error::cross_device) return replace_by_rename(r, true);
        kept = failed_attempt(system_failure("replace", r.target));
    }
    if (kept.step != Step::done) {
        if (copy) os::remove(fresh);
        return kept;
    }
    if (!folder_flushed(r.folder)) return failed_attempt(system_failure("flush the folder", r.folder));
    if (copy) {
        os::remove(r.working);
    } else {
        // The working file's folder lost a name: flushed as well, so that
        // no power cut leaves that name on the disk as a second name of the
        // Event file.
        const std::string from = path_parent(r.working);
        os::Info info;
        if (!os::path_info(from, info)) return failed_attempt(system_failure("flush the folder", from));
        if ((info.device != r.folder_info.device || info.file != r.folder_info.file) && !folder_flushed(from))
            return failed_attempt(system_failure("flush the folder", from));
    }
    os::Info now;
    if (r.old.kind == os::Kind::file && os::path_info(r.target, now) && now.kind == os::Kind::file)
        file_claims::moved(r.old, r.target, now);
    return {};
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
FileResult open_to_overwrite(const std::string& target, const os::Info& meant, Opened& out) {
    os::Info info;
    if (!os::open(target, os::Open::write_existing, out.handle) || !os::handle_info(out.handle, info))
        return system_failure();
    if (info.device == meant.device && info.file == meant.file) return {};
    return own_failure("another file took its name");
}

// Writes the open file from (all of it, or its next `exactly` bytes) over
// the file at target from its first byte, cuts it to that length and
// flushes it.
FileResult overwrite(os::Handle from, const std::string& target, const os::Info& meant,
                     const std::uint64_t* exactly) {
    Opened out;
    std::uint64_t copied = 0;
    if (FileResult opened = open_to_overwrite(target, meant, out); !opened) return opened;
    if (FileResult written = copy_bytes(from, out.handle, copied, nullptr, exactly); !written) return written;
    if (!os::truncate(out.handle, copied) || !os::sync(out.handle) || !out.close()) return system_failure();
    return {};
}

// Makes the journal whole under its final name: the old content of the
// target written to a private temporary file beside it, flushed, renamed,
// and the folder flushed, before anything else happens to the target.
FileResult write_journal(const Replacement& r, const std::string& journal, const os::FileIdentity& id) {
    Opened in, out;
    std::string temporary;
    os::Info info;
    std::uint64_t copied = 0;
    if (!os::open(r.target, os::Open::read, in.handle) || !os::handle_info(in.handle, info))
        return system_failure("read", r.target);
    if (!create_temporary(temporary_prefix(journal), temporary, out.handle))
        return system_failure("write the journal", journal);
    const std::string header = journal_header(id, info.size);
    Checksum sum;
    FileResult written;
    if (!file_slots::write_started(out.handle, header.data(), header.size()))
        written = system_failure();
    else
        written = copy_bytes(in.handle, out.handle, copied, &sum, nullptr);
    const std::string trailer = journal_trailer(sum.value());
    if (written && (!file_slots::write_started(out.handle, trailer.data(), trailer.size()) || !os::sync(out.handle)))
        written = system_failure();
    if (!written) written = about(written.failure(), "write the journal", journal);
    if (!in.close() && written)
        written = system_failure("read", r.target);
    else if (written && (copied != info.size || info.device != r.old.device || info.file != r.old.file))
        written = own_failure("the file changed while it was copied", "write the journal", journal);
    if (!out.close() && written) written = system_failure("write the journal", journal);
    if (written && !os::rename(temporary, journal)) written = system_failure("write the journal", journal);
    if (!written) {
        os::remove(temporary);
        return written;
    }
    // A journal whose name may not be on the disk protects nothing: the
    // Event file is not touched then.
    if (folder_flushed(path_parent(journal))) return {};
    const Failure failure = system_failure("flush the folder", path_parent(journal));
    os::remove(journal);
    return failure;
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

Verdict failed_verdict(Recovery& said, const char* doing, const std::string& path) {
    said.failure = system_failure(doing, path);
    return Verdict::failed;
}

// What the system says of the last call that failed, as a phrase of a
// refusal.
std::string cannot_be_read() { return "it cannot be read: " + failure_reason(system_failure()); }

// Whether this run may remove the journal afterwards: it may write the
// folder, and in a folder where only an entry's owner may remove it
// (sticky), it owns the journal or the folder, or is the administrator.
bool removable(const std::string& folder, const std::string& owner, const std::string& me) {
    std::string target;
    os::Info info;
    if (!os::final_info(folder, target, info) || !may_be_written(target)) return false;
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
    if (!os::open(journal, os::Open::inspect, entry.handle)) return refused_because(said, cannot_be_read());
    if (!os::handle_info(entry.handle, found.info)) return failed_verdict(said, "read the journal", journal);
    if (found.info.kind == os::Kind::link) return refused_because(said, "it is a link");
    if (found.info.kind == os::Kind::folder) return refused_because(said, "it is a folder");
    if (found.info.kind != os::Kind::file) return refused_because(said, "it is not a plain file");
    if (found.info.links != 1) return refused_because(said, "it has more than one name");
    std::string owner, me;
    if (!os::owner_of(entry.handle, owner) || !os::process_user(me)) return failed_verdict(said, "read the journal", journal);
    if (owner != me && !os::is_administrator(owner)) {
        if (!os::account_name(owner, said.stranger)) said.stranger = owner;
        return refused_because(said, "it belongs to " + said.stranger);
    }
    if (!removable(path_parent(journal), owner, me)) return refused_because(said, "this run may not remove it");
    // The same file, opened to be read.
    Opened in;
    os::Info info;
    if (!os::open(journal, os::Open::read_entry, in.handle)) return refused_because(said, cannot_be_read());
    if (!os::handle_info(in.handle, info)) return failed_verdict(said, "read the journal", journal);
    if (info.device != found.info.device || info.file != found.info.file)
        return refused_because(said, "it changed while it was looked at");
    found.path = journal;
    std::string start(HEADER_MAX, '\0');
    std::size_t have = 0;
    if (!read_fully(in.handle, start.data(), start.size(), have)) return failed_verdict(said, "read the journal", journal);
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
        if (!take(buffer.get(), want, got)) return failed_verdict(said, "read the journal", journal);
        if (got != want) return refused_because(said, "it is incomplete");
        sum.add(buffer.get(), got);
        left -= got;
    }
    std::string trailer(TRAILER_SIZE, '\0');
    std::size_t got = 0;
    if (!take(trailer.data(), trailer.size(), got)) return failed_verdict(said, "read the journal", journal);
    if (trailer != journal_trailer(sum.value())) return refused_because(said, "its content does not match its checksum");
    if (!in.close()) return failed_verdict(said, "read the journal", journal);
    return Verdict::fit;
}

// Puts the old content of a journal found fit back into target, then
// removes the journal and flushes its folder.
FileResult apply(const Journal& journal, const std::string& target, const os::Info& target_info) {
    Opened in;
    os::Info info;
    if (!os::open(journal.path, os::Open::read_entry, in.handle) || !os::handle_info(in.handle, info))
        return system_failure("read the journal", journal.path);
    std::string header(journal.header_size, '\0');
    std::size_t got = 0;
    // Another file under its name, or a journal cut since it was checked.
    const Failure changed = code_failure(os::error_code(os::Error::other), "read the journal", journal.path);
    if (info.device != journal.info.device || info.file != journal.info.file || info.size != journal.info.size)
        return changed;
    if (!read_fully(in.handle, header.data(), header.size(), got)) return system_failure("read the journal", journal.path);
    if (got != header.size()) return changed;
    if (FileResult restored = overwrite(in.handle, target, target_info, &journal.content_size); !restored)
        return about(restored.failure(), "restore the old content of", target);
    if (!in.close()) return system_failure("read the journal", journal.path);
    if (!os::remove(journal.path)) return system_failure("remove the journal", journal.path);
    const std::string folder = path_parent(journal.path);
    if (!folder_flushed(folder)) return system_failure("flush the folder", folder);
    return {};
}

// Removes the temporary files of replacements and journals killed before
// they were whole: plain files beside target named by one of the prefixes
// and six letters.
void remove_leftovers(const std::string& target, const std::vector<std::string>& prefixes) {
    std::vector<std::string> names;
    const std::string folder = path_parent(target);
    if (!os::list_folder(folder, names)) return;
    for (const std::string& name : names) {
        for (const std::string& prefix : prefixes) {
            const std::string start = path_name(prefix);
            if (name.size() != start.size() + SUFFIX_LENGTH || name.compare(0, start.size(), start) != 0) continue;
            os::Info info;
            const std::string leftover = path_join(folder, name);
            if (os::path_info(leftover, info) && info.kind == os::Kind::file) os::remove(leftover);
        }
    }
}

// The target rewritten in place under a rollback journal beside it.
FileResult rewrite_in_place(const Replacement& r) {
    os::FileIdentity id;
    if (!os::identify(r.target, id)) return system_failure("read", r.target);
    const std::string journal = journal_beside(r.target, id);
    // What stands under the journal's name now was put there by someone else.
    os::Info entry;
    if (!os::path_info(journal, entry)) return system_failure("write the journal", journal);
    if (entry.kind != os::Kind::missing) return own_failure("another entry has its name", "write the journal", journal);
    if (FileResult written = write_journal(r, journal, id); !written) return written;

    Opened in;
    FileResult rewritten;
    if (!os::open(r.working, os::Open::read, in.handle)) rewritten = system_failure("read", r.working);
    if (rewritten) {
        if (FileResult over = overwrite(in.handle, r.target, r.old, nullptr); !over)
            rewritten = about(over.failure(), "rewrite", r.target);
    }
    if (in.handle != os::NO_HANDLE && !in.close() && rewritten) rewritten = system_failure("read", r.working);
    if (rewritten) {
        // The rewritten file is on the disk: the journal has done its work.
        if (!os::remove(journal)) return system_failure("remove the journal", journal);
        if (!folder_flushed(path_parent(journal))) return system_failure("flush the folder", path_parent(journal));
        os::remove(r.working);
        return {};
    }
    // Rolled back at once, from the journal as it is on the disk; where
    // even that fails the journal stays for the next run, and the failure
    // says so (its reason kept).
    Failure failure = rewritten.failure();
    Recovery said;
    Journal found;
    if (examine(journal, r.old, id, said, found) != Verdict::fit || !apply(found, r.target, r.old)) {
        failure.note = "; its old content waits in " + journal;
        failure.doing = "rewrite";
        failure.path = r.target;
    }
    return failure;
}

}  // namespace

FileResult file_replace(const Path& source, const Path& destination) {
    Replacement r;
    r.working = source.native;
    if (source.empty() || destination.empty()) return refusal(os::Error::missing);
    if (!os::final_info(destination.native, r.target, r.old)) return system_failure();
    // A file held open by a slot is not replaced under it.
    if (r.old.kind != os::Kind::missing && file_slots::holds(identity_of(r.old), false))
        return own_failure("the file is in use by this run");
    // A working file that vanished is named, not the Event file.
    if (!os::path_info(r.working, r.working_info)) return system_failure("read", r.working);
    if (r.working_info.kind == os::Kind::missing)
        return code_failure(os::error_code(os::Error::missing), "read", r.working);
    // A file still being written in a slot has bytes that are not on disk yet.
    if (r.working_info.kind != os::Kind::file || file_slots::holds(identity_of(r.working_info), true))
        return own_failure("the working file is not complete", "read", r.working);
    if (r.old.kind != os::Kind::missing && r.old.kind != os::Kind::file) return own_failure("it is not a plain file");
    // Write protection holds for everyone, full privileges included; the
    // system's own reason is kept (a read-only file system says so).
    if (r.old.kind == os::Kind::file && r.old.read_only) return refusal(os::Error::refused);
    if (r.old.kind == os::Kind::file && !may_be_written(r.target)) return system_failure();
    r.folder = path_parent(r.target);
    std::string folder_target;
    if (!os::final_info(r.folder, folder_target, r.folder_info)) return system_failure();
    if (r.folder_info.kind != os::Kind::folder) return refusal(os::Error::missing);
    r.folder_writable = may_be_written(r.folder);
    if (!r.folder_writable && r.old.kind == os::Kind::missing) return system_failure();
    if (r.old.kind == os::Kind::file) {
        // One run at a time on the file, by whatever name.
        switch (file_claims::hold(r.target, r.old)) {
        case os::Lock::taken:
            break;
        case os::Lock::busy:
            return own_failure("another TELVOR run holds the file");
        case os::Lock::failed:
            return system_failure();
        }
        // No journal anywhere but beside the file: a folder that may not be
        // written takes neither a new file nor a journal.
        if (!r.folder_writable)
            return own_failure("its folder may not be written, so no journal can guard a rewrite in place");
        if (r.old.links > 1) return rewrite_in_place(r);
    }
    Attempt attempt = replace_by_rename(r, r.working_info.device != r.folder_info.device);
    switch (attempt.step) {
    case Step::done:
        return {};
    case Step::cannot:
        return rewrite_in_place(r);
    case Step::failed:
        break;
    }
    return attempt.failure;
}

Path file_journal_path(const Path& path) {
    std::string target;
    os::FileIdentity id;
    if (!os::final_path(path.native, target) || !os::identify(target, id)) return Path();
    return Path{journal_beside(target, id)};
}

Recovery file_recover(const Path& path) {
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
        said.failure = system_failure("read", target);
        said.outcome = Recovery::Outcome::failed;
        return said;
    }
    const std::string journal = journal_beside(target, id);
    remove_leftovers(target, {temporary_prefix(target), temporary_prefix(journal)});
    os::Info entry;
    if (!os::path_info(journal, entry)) {
        said.failure = system_failure("read the journal", journal);
        said.outcome = Recovery::Outcome::failed;
        said.journal = Path{journal};
        return said;
    }
    if (entry.kind == os::Kind::missing) return said;
    said.journal = Path{journal};
    Journal found;
    switch (examine(journal, old, id, said, found)) {
    case Verdict::fit:
        if (FileResult applied = apply(found, target, old); applied) {
            said.outcome = Recovery::Outcome::restored;
        } else {
            said.outcome = Recovery::Outcome::failed;
            said.failure = applied.failure();
        }
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
