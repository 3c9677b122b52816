// The calls through the system-call table, with their counts and the fault
// seam, and path arithmetic on the system's own names.
#include "sys/os.h"

#include <algorithm>
#include <cstdlib>

namespace os {
namespace {

const char* const CALL_NAMES[CALL_COUNT + 1] = {
    "open", "create", "read", "write", "sync", "close", "truncate", "handle_info", "path_info",
    "rename", "remove", "remove_folder", "sync_folder", "set_owner", "set_mode",
    "list_attributes", "get_attribute", "set_attribute", "remove_attribute", "may_write",
    "lock_folder", "unlock_folder", "final_path", "list_folder", "current_folder",
    "change_folder", "make_folder", "link_text", "process_running", "host_name", "identify",
    "lock_file", "owner_of", "process_user", "account_name", "any call"};

long long g_uses[CALL_COUNT + 1] = {};
long g_last_error = 0;

struct PendingFault {
    int call = -1;  // none
    long long remaining = 0;
    Fault what = Fault::fail;
    Error error = Error::io;
};
PendingFault g_fault;

// Counts a use of call; true when the pending fault strikes it (a crash
// does not return).
bool strikes(int call) {
    ++g_uses[call];
    ++g_uses[CALL_COUNT];
    if (g_fault.call != call && g_fault.call != CALL_COUNT) return false;
    if (--g_fault.remaining > 0) return false;
    g_fault.call = -1;
    if (g_fault.what == Fault::crash) std::_Exit(137);
    g_last_error = error_code(g_fault.error);
    return true;
}

// Keeps the system's error code of a call that failed.
bool checked(bool ok) {
    if (!ok) g_last_error = system_error();
    return ok;
}

bool is_separator(char c) { return c == '/' || (WINDOWS_NAMES && c == '\\'); }
bool is_drive(const std::string& path) { return WINDOWS_NAMES && path.size() >= 2 && path[1] == ':'; }

}  // namespace

const char* call_name(int call) { return call >= 0 && call <= CALL_COUNT ? CALL_NAMES[call] : "?"; }

Calls& calls() {
    static Calls table = SYSTEM_CALLS;
    return table;
}

long last_error() { return g_last_error; }
void set_last_error(long code) { g_last_error = code; }

void fault_at(int call, long long nth, Fault what, Error error) {
    g_fault = {call, nth < 1 ? 1 : nth, what, error};
}
void fault_clear() { g_fault = PendingFault{}; }
long long uses(int call) { return call >= 0 && call <= CALL_COUNT ? g_uses[call] : 0; }
void reset_uses() {
    for (long long& count : g_uses) count = 0;
}

bool open(const std::string& path, Open how, Handle& handle) {
    const bool creating = how == Open::create_new || how == Open::create_private;
    if (strikes(creating ? CREATE : OPEN)) return false;
    return checked(calls().open(path, how, handle));
}

long long read(Handle handle, char* buffer, std::size_t size) {
    if (strikes(READ)) return -1;
    const long long got = calls().read(handle, buffer, size);
    checked(got >= 0);
    return got;
}

bool write(Handle handle, const char* data, std::size_t size) {
    return !strikes(WRITE) && checked(calls().write(handle, data, size));
}

bool sync(Handle handle) { return !strikes(SYNC) && checked(calls().sync(handle)); }

// A call that lets go of a handle: where it fails (the fault seam's way
// too) the handle is gone all the same.
template <class Release>
bool releasing(int call, Release release) {
    if (!strikes(call)) return checked(release());
    const long injected = g_last_error;
    release();
    g_last_error = injected;
    return false;
}

bool close(Handle handle) {
    return releasing(CLOSE, [&] { return calls().close(handle); });
}

bool truncate(Handle handle, std::uint64_t size) {
    return !strikes(TRUNCATE) && checked(calls().truncate(handle, size));
}

bool handle_info(Handle handle, Info& info) {
    return !strikes(HANDLE_INFO) && checked(calls().handle_info(handle, info));
}

bool path_info(const std::string& path, Info& info) {
    return !strikes(PATH_INFO) && checked(calls().path_info(path, info));
}

bool rename(const std::string& from, const std::string& to) {
    return !strikes(RENAME) && checked(calls().rename(from, to));
}

bool remove(const std::string& path) { return !strikes(REMOVE) && checked(calls().remove(path)); }

bool remove_folder(const std::string& path) {
    return !strikes(REMOVE_FOLDER) && checked(calls().remove_folder(path));
}

bool sync_folder(const std::string& path) {
    return !strikes(SYNC_FOLDER) && checked(calls().sync_folder(path));
}

bool set_owner(Handle handle, std::uint32_t owner, std::uint32_t group) {
    return !strikes(SET_OWNER) && checked(calls().set_owner(handle, owner, group));
}

bool set_mode(Handle handle, std::uint32_t mode) {
    return !strikes(SET_MODE) && checked(calls().set_mode(handle, mode));
}

bool list_attributes(Handle handle, std::vector<std::string>& names) {
    return !strikes(LIST_ATTRIBUTES) && checked(calls().list_attributes(handle, names));
}

bool get_attribute(Handle handle, const std::string& name, std::string& value) {
    return !strikes(GET_ATTRIBUTE) && checked(calls().get_attribute(handle, name, value));
}

bool set_attribute(Handle handle, const std::string& name, const std::string& value) {
    return !strikes(SET_ATTRIBUTE) && checked(calls().set_attribute(handle, name, value));
}

bool remove_attribute(Handle handle, const std::string& name) {
    return !strikes(REMOVE_ATTRIBUTE) && checked(calls().remove_attribute(handle, name));
}

bool may_write(const std::string& path) { return !strikes(MAY_WRITE) && checked(calls().may_write(path)); }

Lock lock_folder(const std::string& folder, const Info& info, Handle& held) {
    if (strikes(LOCK_FOLDER)) return Lock::failed;
    const Lock lock = calls().lock_folder(folder, info, held);
    checked(lock == Lock::taken);
    return lock;
}

bool unlock_folder(Handle held) {
    return releasing(UNLOCK_FOLDER, [&] { return calls().unlock_folder(held); });
}

bool final_path(const std::string& path, std::string& target) {
    return !strikes(FINAL_PATH) && checked(calls().final_path(path, target));
}

bool list_folder(const std::string& folder, std::vector<std::string>& names) {
    return !strikes(LIST_FOLDER) && checked(calls().list_folder(folder, names));
}

bool current_folder(std::string& path) {
    return !strikes(CURRENT_FOLDER) && checked(calls().current_folder(path));
}

bool change_folder(const std::string& path) {
    return !strikes(CHANGE_FOLDER) && checked(calls().change_folder(path));
}

bool make_folder(const std::string& path) { return !strikes(MAKE_FOLDER) && checked(calls().make_folder(path)); }

bool link_text(const std::string& path, std::string& text) {
    return !strikes(LINK_TEXT) && checked(calls().link_text(path, text));
}

bool process_running(std::uint64_t process, bool& running) {
    return !strikes(PROCESS_RUNNING) && checked(calls().process_running(process, running));
}

bool host_name(std::string& name) { return !strikes(HOST_NAME) && checked(calls().host_name(name)); }
bool identify(const std::string& path, FileIdentity& identity) {
    return !strikes(IDENTIFY) && checked(calls().identify(path, identity));
}

Lock lock_file(const std::string& path, const Info& info, Handle& held) {
    if (strikes(LOCK_FILE)) return Lock::failed;
    const Lock lock = calls().lock_file(path, info, held);
    checked(lock == Lock::taken);
    return lock;
}

bool owner_of(Handle handle, std::string& account) {
    return !strikes(OWNER_OF) && checked(calls().owner_of(handle, account));
}

bool process_user(std::string& account) {
    return !strikes(PROCESS_USER) && checked(calls().process_user(account));
}

bool account_name(const std::string& account, std::string& name) {
    return !strikes(ACCOUNT_NAME) && checked(calls().account_name(account, name));
}

bool final_info(const std::string& path, std::string& target, Info& info) {
    return final_path(path, target) && path_info(target, info);
}

std::vector<std::string> command_line_tokens(const std::string& line) {
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    const std::size_t end = line.size();
    for (;;) {
        while (pos < end && line[pos] == ' ') ++pos;
        if (pos >= end) break;
        if (line[pos] == '"') {
            const std::size_t close = line.find('"', pos + 1);
            const std::size_t stop = close == std::string::npos ? end : close;
            tokens.push_back(line.substr(pos + 1, stop - pos - 1));
            pos = close == std::string::npos ? end : close + 1;
        } else {
            const std::size_t stop = std::min(line.find(' ', pos), end);
            tokens.push_back(line.substr(pos, stop - pos));
            pos = stop;
        }
    }
    return tokens;
}

bool is_absolute(const std::string& path) {
    if (!path.empty() && is_separator(path.front())) return true;
    return is_drive(path) && path.size() >= 3 && is_separator(path[2]);
}

std::string parent_of(const std::string& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !is_separator(path[cut - 1])) --cut;
    if (cut == 0) return is_drive(path) ? path.substr(0, 2) : ".";  // "C:name": drive C's folder
    std::size_t end = cut - 1;
    while (end > 0 && is_separator(path[end - 1])) --end;
    // A root keeps its separator: "/", "\" and "C:\".
    if (end == 0 || (end == 2 && is_drive(path))) return path.substr(0, end + 1);
    return path.substr(0, end);
}

std::string name_of(const std::string& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !is_separator(path[cut - 1])) --cut;
    if (cut == 0 && is_drive(path)) cut = 2;
    return path.substr(cut);
}

std::string join(const std::string& folder, const std::string& name) {
    if (folder.empty() || is_separator(folder.back()) || (folder.size() == 2 && is_drive(folder)))
        return folder + name;
    return folder + SEPARATOR + name;
}

}  // namespace os
