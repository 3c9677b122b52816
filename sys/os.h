// The operating system beneath the file layer: one table of system calls.
//
// Every entry of the table is a thin wrapper around one call of the
// platform (or the few calls one system quirk needs) and decides nothing:
// an entry the platform has no call for fails as unsupported, and what to
// do then, as every other policy, lives in the portable code above it,
// written once. The platform folders (sys/posix/, sys/win32/) fill the
// table and say what their error codes mean; nothing else of theirs is
// seen here.
//
// Every call goes through the functions below, which count the uses of each
// entry. That makes the table the fault seam of everything that asks the
// system: a test can make any entry fail at its N-th use with an error of
// its choice, or end the process there as a crash would, and can replace
// any entry altogether.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace os {

// An open file or folder: a descriptor or a handle.
using Handle = std::intptr_t;
inline constexpr Handle NO_HANDLE = -1;

// What a file is, as the system tells it: its number on its device and
// something that tells a later file reusing that number apart (its birth
// time, else its generation number; 0 where the system keeps neither).
// Windows files have a 128-bit number (file and extra).
struct FileIdentity {
    std::uint64_t file = 0;
    std::uint64_t extra = 0;
    std::uint64_t born = 0;       // whole seconds of the birth time, or the generation
    std::uint64_t born_fine = 0;  // the rest of the birth time
    bool operator==(const FileIdentity&) const = default;
};

// What a directory entry is.
enum class Kind : unsigned char { missing, file, folder, link, other };

// What is known of a file. Owner, group and mode are the POSIX ones (0 on
// Windows, which has none of them).
struct Info {
    Kind kind = Kind::missing;
    std::uint64_t device = 0;  // the device or volume
    std::uint64_t file = 0;    // the file on it
    std::uint64_t size = 0;
    std::uint64_t links = 1;   // names of the file
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint32_t mode = 0;    // permission bits, set-id bits included
    bool read_only = false;    // no write permission at all, whoever asks
};
// The POSIX bit of a folder in which only a name's owner (or the folder's)
// may remove or rename it.
inline constexpr std::uint32_t STICKY = 01000;

// How an existing file is opened.
enum class Open : unsigned char {
    read,            // for reading (no FIFO can hang it)
    read_entry,      // the same without following a link; on Windows also
                     // with the right to remove it
    inspect,         // any entry itself, a link not followed, only to tell
                     // what it is and whose (no right to read it needed)
    write_existing,  // for writing in place; nothing is cut
};
// Who may use a new file.
enum class Create : unsigned char {
    shared,     // the usual permissions
    user_only,  // readable and writable by the user alone
};

// What a failure means to the file layer; the platform maps its codes.
enum class Error : unsigned char {
    none,
    missing,       // no such file or folder
    exists,        // an entry of that name is there already
    refused,       // not permitted, or not supported for this file
    in_use,        // another open holds the file (a sharing mode)
    cross_device,  // the two names lie on different file systems
    busy,          // another process holds the lock
    io,            // the device failed
    unsupported,   // the system has no such call at all
    other,
};

// Whether a lock was taken.
enum class Lock : unsigned char { taken, busy, failed };

// The local wall-clock time.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The entries, each once: X(name, NUMBER, result, (parameters), (arguments)).
// Each reports failure by its result (false, -1, Lock::failed) and leaves
// the platform's error code behind (last_error).
#define TELVOR_SYSTEM_CALLS(X)                                                                                 \
    /* An existing file or folder, opened as asked. */                                                         \
    X(open, OPEN, bool, (const std::string& path, Open how, Handle& handle), (path, how, handle))              \
    /* A new file for writing where no entry is, a dangling link included. */                                  \
    X(create, CREATE, bool, (const std::string& path, Create who, Handle& handle), (path, who, handle))        \
    /* Reads up to size bytes: the count, 0 at the end, -1 on a failure. */                                    \
    X(read, READ, long long, (Handle handle, char* buffer, std::size_t size), (handle, buffer, size))           \
    /* Writes every byte. */                                                                                   \
    X(write, WRITE, bool, (Handle handle, const char* data, std::size_t size), (handle, data, size))           \
    /* Starts the bytes written so far on their way to the disk, not waiting for them. */                      \
    X(start_writeback, START_WRITEBACK, bool, (Handle handle), (handle))                                       \
    /* Flushes the file's data and size to the disk. */                                                        \
    X(sync, SYNC, bool, (Handle handle), (handle))                                                             \
    X(close, CLOSE, bool, (Handle handle), (handle))                                                           \
    /* Cuts an open file to size bytes. */                                                                     \
    X(truncate, TRUNCATE, bool, (Handle handle, std::uint64_t size), (handle, size))                           \
    X(handle_info, HANDLE_INFO, bool, (Handle handle, Info& info), (handle, info))                             \
    /* The entry itself (links not followed); kind missing when nothing is there. */                           \
    X(path_info, PATH_INFO, bool, (const std::string& path, Info& info), (path, info))                         \
    /* Puts from in place of to in one step, replacing an existing file. */                                    \
    X(rename, RENAME, bool, (const std::string& from, const std::string& to), (from, to))                      \
    /* The same over an existing file, which keeps its identity (access */                                    \
    /* list, attributes, creation time, streams) by the system's own doing. */                                 \
    X(replace, REPLACE, bool, (const std::string& from, const std::string& to), (from, to))                    \
    X(remove, REMOVE, bool, (const std::string& path), (path))                                                 \
    X(remove_folder, REMOVE_FOLDER, bool, (const std::string& path), (path))                                   \
    /* Flushes a folder's entries to the disk. */                                                              \
    X(sync_folder, SYNC_FOLDER, bool, (const std::string& path), (path))                                       \
    X(set_owner, SET_OWNER, bool, (Handle handle, std::uint32_t owner, std::uint32_t group),                   \
      (handle, owner, group))                                                                                  \
    X(set_mode, SET_MODE, bool, (Handle handle, std::uint32_t mode), (handle, mode))                           \
    /* Extended attributes (access control lists among them). */                                               \
    X(list_attributes, LIST_ATTRIBUTES, bool, (Handle handle, std::vector<std::string>& names),                \
      (handle, names))                                                                                         \
    X(get_attribute, GET_ATTRIBUTE, bool, (Handle handle, const std::string& name, std::string& value),        \
      (handle, name, value))                                                                                   \
    X(set_attribute, SET_ATTRIBUTE, bool, (Handle handle, const std::string& name, const std::string& value),  \
      (handle, name, value))                                                                                   \
    X(remove_attribute, REMOVE_ATTRIBUTE, bool, (Handle handle, const std::string& name), (handle, name))      \
    /* Whether this process may write the entry (a folder: create names in it). */                             \
    X(may_write, MAY_WRITE, bool, (const std::string& path), (path))                                           \
    /* Takes the lock of a folder (info: what path_info told of it) for this */                                \
    /* process; held until unlock_folder. */                                                                   \
    X(lock_folder, LOCK_FOLDER, Lock, (const std::string& folder, const Info& info, Handle& held),             \
      (folder, info, held))                                                                                    \
    X(unlock_folder, UNLOCK_FOLDER, bool, (Handle held), (held))                                               \
    /* Lets go of a handle, a lock's too, without waiting for the system to give */                            \
    /* back what a removed file held (its cached pages, its blocks): done beside the run. */                   \
    X(close_in_background, CLOSE_IN_BACKGROUND, bool, (Handle handle), (handle))                               \
    /* Asks the system to forget the cached pages of an open file read to its end, done beside */            \
    /* the run; the handle stays open. Where the platform cannot, nothing happens. */                          \
    X(forget_cached, FORGET_CACHED, bool, (Handle handle), (handle))                                           \
    /* The entry a path finally names, links followed (it need not exist). */                                  \
    X(final_path, FINAL_PATH, bool, (const std::string& path, std::string& target), (path, target))            \
    X(list_folder, LIST_FOLDER, bool, (const std::string& folder, std::vector<std::string>& names),            \
      (folder, names))                                                                                         \
    X(current_folder, CURRENT_FOLDER, bool, (std::string& path), (path))                                       \
    X(change_folder, CHANGE_FOLDER, bool, (const std::string& path), (path))                                   \
    /* Makes a folder (its parent must exist). */                                                              \
    X(make_folder, MAKE_FOLDER, bool, (const std::string& path), (path))                                       \
    /* The text a symbolic link holds, as it stands. */                                                        \
    X(link_text, LINK_TEXT, bool, (const std::string& path, std::string& text), (path, text))                  \
    /* Whether a process of that number runs on this machine. */                                               \
    X(process_running, PROCESS_RUNNING, bool, (std::uint64_t process, bool& running), (process, running))      \
    /* This machine's name on the network. */                                                                  \
    X(host_name, HOST_NAME, bool, (std::string& name), (name))                                                 \
    /* What the entry is (a link not followed); links to a missing entry fail. */                              \
    X(identify, IDENTIFY, bool, (const std::string& path, FileIdentity& identity), (path, identity))           \
    /* Takes the lock of a file, as lock_folder a folder's; unlock_folder lets go of it. */                    \
    X(lock_file, LOCK_FILE, Lock, (const std::string& path, const Info& info, Handle& held),                   \
      (path, info, held))                                                                                      \
    /* The account that owns an open file, and the one this process acts */                                    \
    /* as: the system's id of it as text (a number, a SID). */                                                 \
    X(owner_of, OWNER_OF, bool, (Handle handle, std::string& account), (handle, account))                      \
    X(process_user, PROCESS_USER, bool, (std::string& account), (account))                                     \
    /* An account's name for people ("anna", "PC\\anna"). */                                                   \
    X(account_name, ACCOUNT_NAME, bool, (const std::string& account, std::string& name), (account, name))      \
    /* The local wall-clock time, to the second. */                                                            \
    X(local_time, LOCAL_TIME, bool, (LocalTime& now), (now))                                                   \
    /* Bits no two processes are likely to share, to seed a generator. */                                      \
    X(random_seed, RANDOM_SEED, bool, (std::uint64_t& seed), (seed))                                           \
    /* The folder the desktop keeps the user's files in: the home folder, */                                  \
    /* Documents on Windows. */                                                                                \
    X(user_folder, USER_FOLDER, bool, (std::string& path), (path))                                             \
    /* The path of the running program itself. */                                                             \
    X(program_path, PROGRAM_PATH, bool, (std::string& path), (path))

// The table: one pointer per entry.
struct Calls {
#define TELVOR_ENTRY_POINTER(name, NUMBER, result, parameters, arguments) result(*name) parameters;
    TELVOR_SYSTEM_CALLS(TELVOR_ENTRY_POINTER)
#undef TELVOR_ENTRY_POINTER
};

// A platform's table, from its entries sys_open, sys_create and so on.
#define TELVOR_PLATFORM_ENTRY(name, NUMBER, result, parameters, arguments) sys_##name,
#define TELVOR_SYSTEM_CALLS_TABLE {TELVOR_SYSTEM_CALLS(TELVOR_PLATFORM_ENTRY)}

// The entries by number, for counting and for the fault seam; CALL_COUNT
// stands for every call.
enum Call : int {
#define TELVOR_ENTRY_NUMBER(name, NUMBER, result, parameters, arguments) NUMBER,
    TELVOR_SYSTEM_CALLS(TELVOR_ENTRY_NUMBER)
#undef TELVOR_ENTRY_NUMBER
    CALL_COUNT
};
// The name of an entry ("write", "rename", ...; "any call" for CALL_COUNT).
const char* call_name(int call);

// The platform's table, and the one the calls below go through.
extern const Calls SYSTEM_CALLS;
Calls& calls();

// The calls, through the table and the fault seam: open(path, how,
// handle), read(handle, buffer, size) and so on. A call that lets go of a
// handle (close, unlock_folder, close_in_background) has let go of it also
// where it fails.
#define TELVOR_ENTRY_CALL(name, NUMBER, result, parameters, arguments) result name parameters;
TELVOR_SYSTEM_CALLS(TELVOR_ENTRY_CALL)
#undef TELVOR_ENTRY_CALL

// The entry a path finally names (final_path) and what it is (path_info).
bool final_info(const std::string& path, std::string& target, Info& info);

// What a failure means to the user, for the reason the file layer gives
// in plain words; the platform maps its codes.
enum class Cause : unsigned char {
    other,             // none of these: the system's own words serve
    missing,           // no such file or folder
    denied,            // no permission (a write-protected file among them)
    read_only_volume,  // the file system or medium takes no writes
    full,              // no room left on the disk
    in_use,            // another program has the file open
};

// What the platform says of its error codes.
Error error_kind(long code);
Cause error_cause(long code);
// The platform's text for a code, one line, into buffer (without
// allocating): Windows-1252 on Windows, the locale's encoding of the C
// library elsewhere. Returns buffer.
const char* error_text(long code, char* buffer, std::size_t size);
// The platform's code for an error of that kind (for the fault seam, and
// for a refusal of the program's own that the system's words say best).
long error_code(Error kind);
// The error code the system holds now (errno, GetLastError), and setting
// it (for an entry that replaces the system's, as a test's may).
long system_error();
void set_system_error(long code);
// The code the last failed call of this thread left, and its kind.
long last_error();
inline Error last_error_kind() { return error_kind(last_error()); }

// The platform's process set-up: a file-size limit or a closed pipe makes
// a write fail instead of ending the process, and (with glibc) freed
// memory is kept by the process rather than handed back to the system,
// since a run allocates texts of the Guide text's size over and over.
void process_setup();
// Readies the process for a run that will hold about bytes of memory in
// small pieces: with glibc on Linux the heap is grown by that much at once
// and the stretch asked to take large (2 MiB) pages, a page fault for each
// 2 MiB touched instead of each 4 KiB. Memory counts only once touched;
// elsewhere nothing happens.
void prepare_large_memory(std::uint64_t bytes);
// The arguments after the program's own path as the system gave them (on
// Windows from the process's own UTF-16 command line when argv is the
// process's own).
std::vector<std::string> process_arguments(int argc, char** argv);
// A command line split as TELVOR splits it: runs of spaces separate
// tokens; a token that begins with a double quote runs to the next one (or
// the end), the quotes not part of it; every other token runs to the next
// space. The first token is the program. (Windows gives a process its
// command line as one text.)
std::vector<std::string> command_line_tokens(const std::string& line);
// Whether an account is the system's administrator (root; on Windows
// Administrators or SYSTEM).
bool is_administrator(const std::string& account);
// Whether two names are the same name in one folder, as the file system
// compares them (on Windows letter case ignored by the system's own table).
bool same_name(const std::string& a, const std::string& b);

// The fault seam.
enum class Fault : unsigned char {
    fail,   // the call fails with the given error, as the system's would
    crash,  // the process ends at once, as if killed
};
// Strikes the nth use (1 for the next) of call counted from now; CALL_COUNT
// counts every call. One fault at a time; a new one replaces the old.
void fault_at(int call, long long nth, Fault what = Fault::fail, Error error = Error::io);
void fault_clear();
// Uses of each call since the counts were last reset.
long long uses(int call);
void reset_uses();

}  // namespace os
