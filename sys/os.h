// The operating system beneath the file layer: one table of system calls.
//
// Every entry of the table is a thin wrapper around one call of the
// platform (or the few calls one system quirk needs); what to do when lives
// in the portable file layer above it, written once. The platform folders
// (sys/posix/, sys/win32/) fill the table and say what their error
// codes mean; nothing else of theirs is seen here.
//
// Every call goes through the functions below, which count the uses of each
// entry. That makes the table the file layer's fault seam: a test can make
// any entry fail at its N-th use with an error of its choice, or end the
// process there as a crash would, and can replace any entry altogether.
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
// Windows, whose identity a replacement keeps by itself).
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

// How a file is opened.
enum class Open : unsigned char {
    read,            // an existing file, for reading (no FIFO can hang it)
    read_entry,      // the same without following a link; on Windows also
                     // with the right to remove it
    inspect,         // any entry itself, a link not followed, only to tell
                     // what it is and whose (no right to read it needed)
    write_existing,  // an existing file, for writing in place; nothing is cut
    create_new,      // a new file where no entry is, with the usual permissions
    create_private,  // the same, readable and writable by the user alone
};

// What a failure means to the file layer; the platform maps its codes.
enum class Error : unsigned char {
    none,
    missing,       // no such file or folder
    exists,        // an entry of that name is there already
    refused,       // not permitted, or not supported here
    in_use,        // another open holds the file (a sharing mode)
    cross_device,  // the two names lie on different file systems
    busy,          // another process holds the lock
    io,            // the device failed
    other,
};

// Whether a folder lock was taken.
enum class Lock : unsigned char { taken, busy, failed };

// The entries. Each reports failure by its result and leaves the platform's
// error code behind (last_error).
struct Calls {
    bool (*open)(const std::string& path, Open how, Handle& handle);
    // Reads up to size bytes: the count, 0 at the end, -1 on a failure.
    long long (*read)(Handle handle, char* buffer, std::size_t size);
    // Writes every byte.
    bool (*write)(Handle handle, const char* data, std::size_t size);
    // Flushes the file's data and size to the disk.
    bool (*sync)(Handle handle);
    bool (*close)(Handle handle);
    // Cuts an open file to size bytes.
    bool (*truncate)(Handle handle, std::uint64_t size);
    bool (*handle_info)(Handle handle, Info& info);
    // The entry itself (links not followed); kind missing when nothing is there.
    bool (*path_info)(const std::string& path, Info& info);
    // Puts from in place of to in one step, replacing an existing file.
    bool (*rename)(const std::string& from, const std::string& to);
    bool (*remove)(const std::string& path);
    bool (*remove_folder)(const std::string& path);
    // Flushes a folder's entries to the disk.
    bool (*sync_folder)(const std::string& path);
    bool (*set_owner)(Handle handle, std::uint32_t owner, std::uint32_t group);
    bool (*set_mode)(Handle handle, std::uint32_t mode);
    // Extended attributes (access control lists among them).
    bool (*list_attributes)(Handle handle, std::vector<std::string>& names);
    bool (*get_attribute)(Handle handle, const std::string& name, std::string& value);
    bool (*set_attribute)(Handle handle, const std::string& name, const std::string& value);
    bool (*remove_attribute)(Handle handle, const std::string& name);
    // Whether this process may write the entry (a folder: create names in it).
    bool (*may_write)(const std::string& path);
    // Takes the lock of a folder (info: what path_info told of it) for this
    // process; held until unlock_folder.
    Lock (*lock_folder)(const std::string& folder, const Info& info, Handle& held);
    bool (*unlock_folder)(Handle held);
    // The entry a path finally names, links followed (it need not exist).
    bool (*final_path)(const std::string& path, std::string& target);
    bool (*list_folder)(const std::string& folder, std::vector<std::string>& names);
    bool (*current_folder)(std::string& path);
    bool (*change_folder)(const std::string& path);
    // Makes a folder (its parent must exist).
    bool (*make_folder)(const std::string& path);
    // The text a symbolic link holds, as it stands.
    bool (*link_text)(const std::string& path, std::string& text);
    // Whether a process of that number runs on this machine.
    bool (*process_running)(std::uint64_t process, bool& running);
    // This machine's name on the network.
    bool (*host_name)(std::string& name);
    // What the entry is (a link not followed); links to a missing entry fail.
    bool (*identify)(const std::string& path, FileIdentity& identity);
    // Takes the lock of a file (info: what path_info told of it) for this
    // process, as lock_folder a folder's; unlock_folder lets go of it.
    Lock (*lock_file)(const std::string& path, const Info& info, Handle& held);
    // The account that owns an open file, and the one this process acts
    // as: the system's id of it as text (a number, a SID).
    bool (*owner_of)(Handle handle, std::string& account);
    bool (*process_user)(std::string& account);
    // An account's name for people ("anna", "PC\\anna").
    bool (*account_name)(const std::string& account, std::string& name);
};

// A platform's table, from entries named sys_open, sys_read and so on.
#define TELVOR_SYSTEM_CALLS_TABLE                                                             \
    {                                                                                         \
        sys_open, sys_read, sys_write, sys_sync, sys_close, sys_truncate, sys_handle_info,    \
            sys_path_info, sys_rename, sys_remove, sys_remove_folder, sys_sync_folder,        \
            sys_set_owner, sys_set_mode, sys_list_attributes, sys_get_attribute,              \
            sys_set_attribute, sys_remove_attribute, sys_may_write, sys_lock_folder,          \
            sys_unlock_folder, sys_final_path, sys_list_folder, sys_current_folder,           \
            sys_change_folder, sys_make_folder, sys_link_text, sys_process_running,          \
            sys_host_name, sys_identify, sys_lock_file, sys_owner_of, sys_process_user,       \
            sys_account_name                                                                  \
    }

// The entries by number, for counting and for the fault seam.
enum Call : int {
    OPEN,    // open for reading or writing in place
    CREATE,  // open of a new file
    READ, WRITE, SYNC, CLOSE, TRUNCATE, HANDLE_INFO, PATH_INFO, RENAME, REMOVE, REMOVE_FOLDER,
    SYNC_FOLDER, SET_OWNER, SET_MODE, LIST_ATTRIBUTES, GET_ATTRIBUTE, SET_ATTRIBUTE,
    REMOVE_ATTRIBUTE, MAY_WRITE, LOCK_FOLDER, UNLOCK_FOLDER, FINAL_PATH, LIST_FOLDER,
    CURRENT_FOLDER, CHANGE_FOLDER, MAKE_FOLDER, LINK_TEXT, PROCESS_RUNNING, HOST_NAME,
    IDENTIFY, LOCK_FILE, OWNER_OF, PROCESS_USER, ACCOUNT_NAME,
    CALL_COUNT
};
// The name of an entry ("write", "rename", ...).
const char* call_name(int call);

// The platform's table, and the one the calls below go through.
extern const Calls SYSTEM_CALLS;
Calls& calls();

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
// The platform's code for an error of that kind (for the fault seam).
long error_code(Error kind);
// The error code the system holds now (errno, GetLastError), and setting
// it (for an entry that replaces the system's, as a test's may).
long system_error();
void set_system_error(long code);
// The code the last failed call left, and its kind.
long last_error();
void set_last_error(long code);
inline Error last_error_kind() { return error_kind(last_error()); }

// The platform's process set-up, and the arguments after the program's own
// path as the system gave them (on Windows from the process's own UTF-16
// command line when argv is the process's own).
void process_setup();
std::vector<std::string> process_arguments(int argc, char** argv);
// A command line split as TELVOR splits it: runs of spaces separate
// tokens; a token that begins with a double quote runs to the next one (or
// the end), the quotes not part of it; every other token runs to the next
// space. The first token is the program. (Windows gives a process its
// command line as one text.)
std::vector<std::string> command_line_tokens(const std::string& line);
// The directory separator ("/" or "\").
extern const char* const SEPARATOR;
// Whether an account is the system's administrator (root; on Windows
// Administrators or SYSTEM).
bool is_administrator(const std::string& account);
// Whether names are Windows names ("\" and "/" separate, "C:" drives,
// letter case ignored).
extern const bool WINDOWS_NAMES;

// The calls, through the table and the fault seam.
bool open(const std::string& path, Open how, Handle& handle);
long long read(Handle handle, char* buffer, std::size_t size);
bool write(Handle handle, const char* data, std::size_t size);
bool sync(Handle handle);
bool close(Handle handle);
bool truncate(Handle handle, std::uint64_t size);
bool handle_info(Handle handle, Info& info);
bool path_info(const std::string& path, Info& info);
bool rename(const std::string& from, const std::string& to);
bool remove(const std::string& path);
bool remove_folder(const std::string& path);
bool sync_folder(const std::string& path);
bool set_owner(Handle handle, std::uint32_t owner, std::uint32_t group);
bool set_mode(Handle handle, std::uint32_t mode);
bool list_attributes(Handle handle, std::vector<std::string>& names);
bool get_attribute(Handle handle, const std::string& name, std::string& value);
bool set_attribute(Handle handle, const std::string& name, const std::string& value);
bool remove_attribute(Handle handle, const std::string& name);
bool may_write(const std::string& path);
Lock lock_folder(const std::string& folder, const Info& info, Handle& held);
bool unlock_folder(Handle held);
bool final_path(const std::string& path, std::string& target);
bool list_folder(const std::string& folder, std::vector<std::string>& names);
bool current_folder(std::string& path);
bool change_folder(const std::string& path);
bool make_folder(const std::string& path);
bool link_text(const std::string& path, std::string& text);
bool process_running(std::uint64_t process, bool& running);
bool host_name(std::string& name);
bool identify(const std::string& path, FileIdentity& identity);
Lock lock_file(const std::string& path, const Info& info, Handle& held);
bool owner_of(Handle handle, std::string& account);
bool process_user(std::string& account);
bool account_name(const std::string& account, std::string& name);
// The entry a path finally names (final_path) and what it is (path_info).
bool final_info(const std::string& path, std::string& target, Info& info);

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

// Path arithmetic on the system's own names: the folder part and the last
// name ("." and the path itself when there is no separator; a root keeps
// its separator), and a name joined to a folder.
std::string parent_of(const std::string& path);
std::string name_of(const std::string& path);
std::string join(const std::string& folder, const std::string& name);
// Whether a name leads from a root ("/x", "\x", "C:\x"), not from the
// current folder.
bool is_absolute(const std::string& path);
// Whether two names are the same name in one folder (on Windows letter
// case ignored as the file system ignores it).
bool same_name(const std::string& a, const std::string& b);

}  // namespace os
