// Putting a completed working file in place of the Event file, so that the
// Event file is whole at every instant and keeps everything it had: its
// owner, group, permission bits, access control list and other extended
// attributes, and every name it has.
//
// Where the new content can be given all of that, it takes the Event
// file's place by one rename: the working file itself where both lie on one
// file system, else a flushed copy written beside the Event file. Where it
// cannot (another owner, a group the user is not in, an attribute that
// cannot be copied, several names, a folder that may not be written while
// the file may), the Event file is rewritten in place under a rollback
// journal: a complete, flushed copy of the old content, given its final
// name before the first byte of the Event file changes and removed only
// once the rewritten file is on the disk. A run that finds the journal of
// an interrupted rewrite puts the old content back first (file_recover).
#include "runtime/file.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "runtime/file_failure.h"
#include "runtime/file_slots.h"
#include "runtime/os.h"
#include "runtime/text.h"

namespace {

// The longest file name most file systems take.
constexpr std::size_t NAME_MAX_BYTES = 255;
constexpr char TEMP_MARKER[] = ".telvor-tmp-";
constexpr std::size_t SUFFIX_LENGTH = 6;
constexpr char JOURNAL_SUFFIX[] = ".telvor-journal";
constexpr char JOURNAL_MAGIC[] = "TELVOR journal 1";
constexpr std::size_t COPY_BUFFER_SIZE = 256 * 1024;

enum class Step { done, cannot, failed };

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

// The journal beside the Event file.
std::string journal_beside(const std::string& target) {
    const std::size_t room = NAME_MAX_BYTES - (sizeof JOURNAL_SUFFIX - 1);
    return os::join(os::parent_of(target), cut_name(os::name_of(target), room) + JOURNAL_SUFFIX);
}

// The journal in the Program directory, named after the Event file's path.
std::string journal_in(const std::string& folder, const std::string& target) {
    char name[40];
    std::snprintf(name, sizeof name, "TELVOR-%016llx.journal", static_cast<unsigned long long>(text_hash(target)));
    return os::join(folder, name);
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

int failed_restore(const char* doing, const std::string& path) {
    failed(doing, path);
    return -1;
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

// Copies everything from the open file from (at its start) to to; the count.
bool copy_bytes(os::Handle from, os::Handle to, std::uint64_t& copied) {
    const std::unique_ptr<char[]> buffer(new char[COPY_BUFFER_SIZE]);
    copied = 0;
    for (;;) {
        const long long got = os::read(from, buffer.get(), COPY_BUFFER_SIZE);
        if (got < 0) return false;
        if (got == 0) return true;
        if (!os::write(to, buffer.get(), static_cast<std::size_t>(got))) return false;
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
    std::string journal_folder;  // where a journal goes when the folder may not be written
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
        bool whole = copy_bytes(in.handle, out.handle, copied) ||
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
    if (copy) os::remove(r.working);
    return Step::done;
}

// Writes head and then the rest of the open file from over the file at
// target, from its first byte, and cuts it to that length.
bool overwrite(std::string_view head, os::Handle from, const std::string& target) {
    Opened out;
    std::uint64_t copied = 0;
    if (!os::open(target, os::Open::write_existing, out.handle) ||
        (!head.empty() && !os::write(out.handle, head.data(), head.size())) ||
        !copy_bytes(from, out.handle, copied) || !os::truncate(out.handle, head.size() + copied) ||
        !os::sync(out.handle))
        return false;
    return out.close();
}

// The header of a journal: what it is, the file it belongs to and the
// length of the old content that follows it.
std::string journal_header(const std::string& target, std::uint64_t size) {
    return std::string(JOURNAL_MAGIC) + "\n" + target + "\n" + std::to_string(size) + "\n";
}

// Makes the journal whole under its final name: the old content of the
// target written to a temporary file, flushed, and renamed.
bool write_journal(const Replacement& r, const std::string& journal) {
    Opened in, out;
    std::string temporary;
    os::Info info;
    std::uint64_t copied = 0;
    if (!os::open(r.target, os::Open::read, in.handle) || !os::handle_info(in.handle, info))
        return failed("read", r.target);
    if (!create_temporary(temporary_prefix(journal), temporary, out.handle))
        return failed("write the journal", journal);
    const std::string header = journal_header(r.target, info.size);
    // Whoever may read the Event file may read its journal.
    bool ok = os::write(out.handle, header.data(), header.size()) &&
              copy_bytes(in.handle, out.handle, copied) && os::set_mode(out.handle, r.old.mode & 0666) &&
              os::sync(out.handle);
    if (!in.close() && ok) {
        ok = failed("read", r.target);
    } else if (ok && copied != info.size) {
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

enum class Header { ours, foreign, unreadable };

// Reads a journal's first bytes into start and its header; the length of
// the header and of the old content where it is a journal of target.
Header read_journal_header(os::Handle journal, const std::string& target, std::string& start,
                           std::size_t& header_size, std::uint64_t& content_size) {
    start.assign(target.size() + 64, '\0');
    std::size_t have = 0;
    if (!read_fully(journal, start.data(), start.size(), have)) return Header::unreadable;
    start.resize(have);
    const std::string head = std::string(JOURNAL_MAGIC) + "\n" + target + "\n";
    if (start.compare(0, head.size(), head) != 0) return Header::foreign;
    const std::size_t end = start.find('\n', head.size());
    if (end == std::string::npos || end == head.size()) return Header::foreign;
    content_size = 0;
    for (std::size_t i = head.size(); i < end; ++i) {
        if (start[i] < '0' || start[i] > '9') return Header::foreign;
        content_size = content_size * 10 + static_cast<std::uint64_t>(start[i] - '0');
    }
    header_size = end + 1;
    return Header::ours;
}

// Puts the old content a journal holds back into target, then removes the
// journal. 0 when the journal is another file's, 1 when the content was
// put back, -1 when that failed.
int restore_from_journal(const std::string& journal, const std::string& target) {
    Opened in;
    os::Info info;
    std::string start;
    std::size_t header_size = 0;
    std::uint64_t content_size = 0;
    if (!os::open(journal, os::Open::read, in.handle) || !os::handle_info(in.handle, info))
        return failed_restore("read the journal", journal);
    switch (read_journal_header(in.handle, target, start, header_size, content_size)) {
    case Header::ours: break;
    case Header::foreign: return 0;
    case Header::unreadable: return failed_restore("read the journal", journal);
    }
    if (info.size != header_size + content_size) {
        file_failure::note("the journal is incomplete");
        file_failure::note_path("restore the old content of", target);
        return -1;
    }
    // The content's first bytes were read with the header.
    const std::string_view head = std::string_view(start).substr(header_size);
    if (!overwrite(head, in.handle, target)) return failed_restore("restore the old content of", target);
    if (!in.close()) return failed_restore("read the journal", journal);
    if (!os::remove(journal)) return failed_restore("remove the journal", journal);
    if (!os::sync_folder(os::parent_of(journal))) return failed_restore("flush the folder", os::parent_of(journal));
    return 1;
}

// The target rewritten in place under a rollback journal.
bool rewrite_in_place(const Replacement& r) {
    const std::string journal =
        r.folder_writable ? journal_beside(r.target) : journal_in(r.journal_folder, r.target);
    if (!r.folder_writable && r.journal_folder.empty()) {
        file_failure::note("no folder may take its journal");
        file_failure::note_path("rewrite", r.target);
        return false;
    }
    if (!write_journal(r, journal)) return false;

    Opened in;
    bool ok = os::open(r.working, os::Open::read, in.handle) || failed("read", r.working);
    if (ok && !overwrite({}, in.handle, r.target)) ok = failed("rewrite", r.target);
    if (in.handle != os::NO_HANDLE && !in.close() && ok) ok = failed("read", r.working);
    if (ok) {
        // The rewritten file is on the disk: the journal has done its work.
        if (!os::remove(journal)) return failed("remove the journal", journal);
        if (!os::sync_folder(os::parent_of(journal))) return failed("flush the folder", os::parent_of(journal));
        os::remove(r.working);
        return true;
    }
    // Rolled back at once; where even that fails the journal stays for the
    // next run, and the failure says so.
    const std::string reason = file_failure_reason(), doing = file_failure_doing(),
                      path = file_failure_path().native;
    if (restore_from_journal(journal, r.target) != 1) {
        file_failure::note((reason + "; its old content waits in " + journal).c_str());
        file_failure::note_path("rewrite", r.target);
        return false;
    }
    file_failure::note(reason.c_str());
    file_failure::note_path(doing.c_str(), path);
    return false;
}

}  // namespace

int file_replace(const Path& source, const Path& destination, const Path& journal_folder) {
    file_failure::clear_path();
    Replacement r;
    r.working = source.native;
    r.journal_folder = journal_folder.native;
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
    // Write protection holds for everyone, full privileges included.
    if (r.old.kind == os::Kind::file && (r.old.read_only || !os::may_write(r.target)))
        return refuse(os::Error::refused);
    r.folder = os::parent_of(r.target);
    std::string folder_target;
    if (!os::final_info(r.folder, folder_target, r.folder_info)) {
        file_failure::note_system();
        return 0;
    }
    if (r.folder_info.kind != os::Kind::folder) return refuse(os::Error::missing);
    r.folder_writable = os::may_write(r.folder);
    if (r.old.kind == os::Kind::missing && !r.folder_writable) return refuse(os::Error::refused);
    if (r.old.kind == os::Kind::file && (r.old.links > 1 || !r.folder_writable))
        return rewrite_in_place(r) ? 1 : 0;
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

int file_recover(const Path& path, const Path& journal_folder, Path& journal_used) {
    file_failure::clear_path();
    std::string target;
    if (!os::final_path(path.native, target)) return RECOVERY_NONE;
    // The journals this file may have: beside it, and in journal_folder.
    std::vector<std::string> journals = {journal_beside(target)};
    if (!journal_folder.empty()) journals.push_back(journal_in(journal_folder.native, target));

    // The temporary files of replacements and journals that were killed
    // before they were whole.
    std::vector<std::string> prefixes = {temporary_prefix(target)}, names;
    for (const std::string& journal : journals) prefixes.push_back(temporary_prefix(journal));
    for (const std::string& prefix : prefixes) {
        const std::string folder = os::parent_of(prefix), start = os::name_of(prefix);
        if (!os::list_folder(folder, names)) continue;
        for (const std::string& name : names) {
            if (name.size() != start.size() + SUFFIX_LENGTH || name.compare(0, start.size(), start) != 0)
                continue;
            os::Info info;
            const std::string leftover = os::join(folder, name);
            if (os::path_info(leftover, info) && info.kind == os::Kind::file) os::remove(leftover);
        }
    }

    os::Info old;
    if (!os::path_info(target, old) || old.kind != os::Kind::file) return RECOVERY_NONE;
    for (const std::string& journal : journals) {
        os::Info info;
        if (!os::path_info(journal, info) || info.kind != os::Kind::file) continue;
        switch (restore_from_journal(journal, target)) {
        case 1:
            journal_used = Path{journal};
            return RECOVERY_RESTORED;
        case -1:
            return RECOVERY_FAILED;
        default:
            break;
        }
    }
    return RECOVERY_NONE;
}
