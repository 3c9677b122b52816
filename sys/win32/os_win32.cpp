// The system-call table on Windows: each entry one call of the wide API, or
// the few calls of one system quirk (long names, read-only files in the way,
// transfers of at most a gigabyte, attributes Wine's ReplaceFileW leaves
// out). What Windows has no call for (POSIX owners and permission bits,
// extended attributes, folder flushes, starting writeback) fails as
// unsupported.
//
// Sharing modes keep the File slots' files apart from every other open, this
// process's and others': a file read may be read elsewhere but not written
// or deleted; a new file is opened nowhere else while it is written.
#include "sys/os.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>

#include "base/codepage.h"
#include "base/path.h"
#include "sys/win32/win32_io.h"
// After the program's own headers: they bring a type named byte.
#include <aclapi.h>
#include <knownfolders.h>
#include <ntsecapi.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>

namespace {

using os::Handle;
using telvor_win32::native_of;
using telvor_win32::system_path;

// The most one ReadFile or WriteFile moves.
constexpr std::size_t MAX_TRANSFER = 1u << 30;

HANDLE handle_of(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
Handle from_handle(HANDLE handle) { return reinterpret_cast<Handle>(handle); }

// Memory the system hands out with LocalAlloc, freed with LocalFree.
struct LocalMemory {
    void* memory = nullptr;
    ~LocalMemory() {
        if (memory != nullptr) ::LocalFree(memory);
    }
};

// An entry Windows has no call for.
bool unsupported() {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
}

// A SID as text ("S-1-5-21-...").
bool sid_text(PSID sid, std::string& text) {
    LPWSTR wide_text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &wide_text)) return false;
    text = native_of(wide_text, std::wcslen(wide_text));
    ::LocalFree(wide_text);
    return true;
}

bool sys_process_user(std::string& account) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[size > 0 ? size : 1]);
    bool ok = size > 0 && ::GetTokenInformation(token, TokenUser, buffer.get(), size, &size) &&
              sid_text(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, account);
    const DWORD error = ::GetLastError();
    ::CloseHandle(token);
    ::SetLastError(error);
    return ok;
}

bool sys_open(const std::string& path, os::Open how, Handle& handle) {
    // Per way of opening, in the order of os::Open: the access asked for,
    // the sharing allowed, and the flags besides a sequential scan.
    struct Way {
        DWORD access, share, flags;
    };
    constexpr DWORD ENTRY = FILE_FLAG_OPEN_REPARSE_POINT;
    constexpr Way WAYS[] = {
        {GENERIC_READ, FILE_SHARE_READ, 0},                                             // read
        {GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, ENTRY},            // read_entry
        {READ_CONTROL | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
         ENTRY | FILE_FLAG_BACKUP_SEMANTICS},                                            // inspect
        {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, ENTRY},     // write_existing
    };
    const Way& way = WAYS[static_cast<unsigned>(how)];
    const HANDLE opened = ::CreateFileW(system_path(path).c_str(), way.access, way.share, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | way.flags, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    handle = from_handle(opened);
    return true;
}

bool sys_create(const std::string& path, os::Create who, Handle& handle) {
    // A private file's access control list lets in its maker alone.
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    LocalMemory descriptor;
    if (who == os::Create::user_only) {
        std::string user;
        if (!sys_process_user(user)) return false;
        const std::wstring sddl = L"D:P(A;;FA;;;" + telvor_win32::wide(user) + L")";
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                   &descriptor.memory, nullptr))
            return false;
        security.lpSecurityDescriptor = descriptor.memory;
    }
    const HANDLE opened = ::CreateFileW(system_path(path).c_str(), GENERIC_WRITE, 0,
                                        security.lpSecurityDescriptor != nullptr ? &security : nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    handle = from_handle(opened);
    return true;
}

long long sys_read(Handle handle, char* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(size < MAX_TRANSFER ? size : MAX_TRANSFER);
    return ::ReadFile(handle_of(handle), buffer, wanted, &got, nullptr) ? got : -1;
}

bool sys_write(Handle handle, const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(size < MAX_TRANSFER ? size : MAX_TRANSFER);
        DWORD written = 0;
        if (!::WriteFile(handle_of(handle), data, piece, &written, nullptr)) return false;
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool sys_start_writeback(Handle) { return unsupported(); }

bool sys_sync(Handle handle) { return ::FlushFileBuffers(handle_of(handle)) != 0; }

bool sys_close(Handle handle) { return ::CloseHandle(handle_of(handle)) != 0; }

bool sys_truncate(Handle handle, std::uint64_t size) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFilePointerEx(handle_of(handle), position, nullptr, FILE_BEGIN) &&
           ::SetEndOfFile(handle_of(handle));
}

bool sys_handle_info(Handle handle, os::Info& info) {
    BY_HANDLE_FILE_INFORMATION data;
    if (!::GetFileInformationByHandle(handle_of(handle), &data)) return false;
    const DWORD attributes = data.dwFileAttributes;
    info = os::Info{};
    info.kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT)                   ? os::Kind::link
                : (attributes & FILE_ATTRIBUTE_DIRECTORY)                     ? os::Kind::folder
                : ::GetFileType(handle_of(handle)) != FILE_TYPE_DISK ||
                          (attributes & FILE_ATTRIBUTE_DEVICE)                ? os::Kind::other
                                                                              : os::Kind::file;
    info.device = data.dwVolumeSerialNumber;
    info.file = (static_cast<std::uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
    info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    info.links = data.nNumberOfLinks;
    info.read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    return true;
}

// The entry itself (a link or folder not followed), opened without asking
// for any access, so that it conflicts with no other open's sharing.
HANDLE open_entry(const std::string& path) {
    return ::CreateFileW(system_path(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool sys_path_info(const std::string& path, os::Info& info) {
    const HANDLE handle = open_entry(path);
    if (handle == INVALID_HANDLE_VALUE) {
        if (os::error_kind(static_cast<long>(::GetLastError())) != os::Error::missing) return false;
        info = os::Info{};
        return true;
    }
    const bool ok = sys_handle_info(from_handle(handle), info);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    ::SetLastError(error);
    return ok;
}

// A name made full: ReplaceFileW wants to know the folders.
std::wstring full_name(const std::string& path) {
    const std::wstring name = system_path(path), whole = telvor_win32::full_path(name);
    return whole.empty() ? name : whole;
}

bool sys_rename(const std::string& from, const std::string& to) {
    return ::MoveFileExW(full_name(from).c_str(), full_name(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// ReplaceFileW gives the new content the replaced file's access control
// list, attributes, creation time and streams; the attributes are given
// beforehand too, for systems that leave them out (Wine).
bool sys_replace(const std::string& from, const std::string& to) {
    const std::wstring source = full_name(from), target = full_name(to);
    constexpr DWORD KEPT = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & KEPT) != 0)
        ::SetFileAttributesW(source.c_str(), attributes & KEPT);
    return ::ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                          nullptr) != 0;
}

bool sys_remove(const std::string& path) {
    const std::wstring name = system_path(path);
    if (::DeleteFileW(name.c_str())) return true;
    // A read-only file in the way of a working file goes as well.
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (::GetLastError() != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_READONLY) == 0)
        return false;
    if (::SetFileAttributesW(name.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) &&
        ::DeleteFileW(name.c_str()))
        return true;
    const DWORD error = ::GetLastError();
    ::SetFileAttributesW(name.c_str(), attributes);
    ::SetLastError(error);
    return false;
}

bool sys_remove_folder(const std::string& path) { return ::RemoveDirectoryW(system_path(path).c_str()) != 0; }

// Folders have nothing of their own to flush; POSIX owners, permission bits
// and extended attributes are not Windows's; whether a file may be written
// shows only when it is opened.
bool sys_sync_folder(const std::string&) { return unsupported(); }
bool sys_set_owner(Handle, std::uint32_t, std::uint32_t) { return unsupported(); }
bool sys_set_mode(Handle, std::uint32_t) { return unsupported(); }
bool sys_list_attributes(Handle, std::vector<std::string>&) { return unsupported(); }
bool sys_get_attribute(Handle, const std::string&, std::string&) { return unsupported(); }
bool sys_set_attribute(Handle, const std::string&, const std::string&) { return unsupported(); }
bool sys_remove_attribute(Handle, const std::string&) { return unsupported(); }
bool sys_may_write(const std::string&) { return unsupported(); }

// A named mutex per folder or file, named after its identity: whoever
// creates the name first holds it, and the system closes the handles of a
// process that ends, however it ends. The global namespace spans the
// sessions of one machine; where it is refused the session's own serves.
os::Lock lock_by_name(const wchar_t* kind, const os::Info& info, Handle& held) {
    wchar_t name[96];
    for (const wchar_t* space : {L"Global\\", L"Local\\"}) {
        std::swprintf(name, std::size(name), L"%lsTELVOR-%ls-%08lx-%016llx", space, kind,
                      static_cast<unsigned long>(info.device), static_cast<unsigned long long>(info.file));
        const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name);
        if (mutex == nullptr) continue;
        if (::GetLastError() == ERROR_ALREADY_EXISTS) {
            ::CloseHandle(mutex);
            ::SetLastError(ERROR_LOCK_VIOLATION);
            return os::Lock::busy;
        }
        held = from_handle(mutex);
        return os::Lock::taken;
    }
    return os::Lock::failed;
}

os::Lock sys_lock_folder(const std::string&, const os::Info& info, Handle& held) {
    return lock_by_name(L"folder", info, held);
}

os::Lock sys_lock_file(const std::string&, const os::Info& info, Handle& held) {
    return lock_by_name(L"file", info, held);
}

bool sys_unlock_folder(Handle held) { return ::CloseHandle(handle_of(held)) != 0; }
bool sys_close_in_background(Handle handle) { return sys_close(handle); }
bool sys_forget_cached(Handle) { return true; }  // the system keeps its cache as it sees fit

bool sys_final_path(const std::string& path, std::string& target) {
    const std::wstring name = system_path(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    target = path;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
    const HANDLE handle = ::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return true;  // a link that leads nowhere is replaced itself
    std::wstring final_path(1024, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, final_path.data(), static_cast<DWORD>(final_path.size()), 0);
    if (length >= final_path.size()) {
        final_path.resize(length + 1);
        length = ::GetFinalPathNameByHandleW(handle, final_path.data(), static_cast<DWORD>(final_path.size()), 0);
    }
    ::CloseHandle(handle);
    if (length == 0 || length >= final_path.size()) return true;
    final_path.resize(length);
    target = native_of(final_path);
    return true;
}

bool sys_list_folder(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(system_path(path_join(folder, "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const std::string name = native_of(found.cFileName, std::wcslen(found.cFileName));
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    ::SetLastError(error);
    return error == ERROR_NO_MORE_FILES;
}

bool sys_current_folder(std::string& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return false;
        if (length < buffer.size()) {
            buffer.resize(length);
            path = native_of(buffer);
            return true;
        }
        buffer.resize(length);  // the size needed, terminator included
    }
}

bool sys_change_folder(const std::string& path) {
    return ::SetCurrentDirectoryW(telvor_win32::wide(path).c_str()) != 0;
}

bool sys_make_folder(const std::string& path) { return ::CreateDirectoryW(system_path(path).c_str(), nullptr) != 0; }

// Links are no lock files here.
bool sys_link_text(const std::string&, std::string&) { return unsupported(); }

bool sys_process_running(std::uint64_t process, bool& running) {
    if (process == 0 || process > 0xFFFFFFFFu) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const HANDLE handle = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process));
    if (handle == nullptr) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_INVALID_PARAMETER && error != ERROR_ACCESS_DENIED) return false;
        running = error == ERROR_ACCESS_DENIED;  // a process of another user's, or none
        return true;
    }
    DWORD code = 0;
    const bool ok = ::GetExitCodeProcess(handle, &code) != 0;
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    ::SetLastError(error);
    running = code == STILL_ACTIVE;
    return ok;
}

bool sys_host_name(std::string& name) {
    wchar_t buffer[256];
    DWORD size = static_cast<DWORD>(std::size(buffer));
    if (!::GetComputerNameExW(ComputerNameDnsHostname, buffer, &size)) return false;
    name = native_of(buffer, size);
    return true;
}

// The 128-bit file number (Windows 8 on; the 64-bit one before) and the
// creation time.
bool sys_identify(const std::string& path, os::FileIdentity& identity) {
    const HANDLE handle = open_entry(path);
    if (handle == INVALID_HANDLE_VALUE) return false;
    struct {
        ULONGLONG volume;
        unsigned char file[16];
    } id_info;
    constexpr auto FILE_ID_INFO_CLASS = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
    BY_HANDLE_FILE_INFORMATION data;
    const bool ok = ::GetFileInformationByHandle(handle, &data) != 0;
    const bool long_id = ok && ::GetFileInformationByHandleEx(handle, FILE_ID_INFO_CLASS, &id_info, sizeof id_info);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (!ok) {
        ::SetLastError(error);
        return false;
    }
    identity = os::FileIdentity{};
    if (long_id) {
        std::memcpy(&identity.file, id_info.file, 8);
        std::memcpy(&identity.extra, id_info.file + 8, 8);
    } else {
        identity.file = (static_cast<std::uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
    }
    const std::uint64_t created =
        (static_cast<std::uint64_t>(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
    identity.born = created / 10000000;
    identity.born_fine = created % 10000000 * 100;
    return true;
}

bool sys_owner_of(Handle handle, std::string& account) {
    PSID owner = nullptr;
    LocalMemory descriptor;
    const DWORD error = ::GetSecurityInfo(handle_of(handle), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                          nullptr, nullptr, nullptr, &descriptor.memory);
    if (error != ERROR_SUCCESS) {
        ::SetLastError(error);
        return false;
    }
    return sid_text(owner, account);
}

bool sys_account_name(const std::string& account, std::string& name) {
    LocalMemory sid;
    if (!::ConvertStringSidToSidW(telvor_win32::wide(account).c_str(), &sid.memory)) return false;
    wchar_t user[256], domain[256];
    DWORD user_size = 256, domain_size = 256;
    SID_NAME_USE use;
    if (!::LookupAccountSidW(nullptr, sid.memory, user, &user_size, domain, &domain_size, &use)) return false;
    name = (domain_size > 0 ? native_of(domain, domain_size) + "\\" : std::string()) + native_of(user, user_size);
    return true;
}

bool sys_local_time(os::LocalTime& now) {
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    now = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    return true;
}

bool sys_random_seed(std::uint64_t& seed) { return ::RtlGenRandom(&seed, sizeof seed) != FALSE; }

bool sys_user_folder(std::string& path) {
    PWSTR folder = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &folder);
    if (SUCCEEDED(result)) path = native_of(folder, std::wcslen(folder));
    ::CoTaskMemFree(folder);
    if (SUCCEEDED(result)) return true;
    ::SetLastError(static_cast<DWORD>(HRESULT_CODE(result)));
    return false;
}

bool sys_program_path(std::string& path) {
    std::wstring program(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
        if (length == 0) return false;
        if (length < program.size()) {
            program.resize(length);
            path = native_of(program);
            return true;
        }
        program.resize(program.size() * 2);  // cut short: a larger buffer
    }
}

}  // namespace

namespace os {

const Calls SYSTEM_CALLS = TELVOR_SYSTEM_CALLS_TABLE;

long system_error() { return static_cast<long>(::GetLastError()); }
void set_system_error(long code) { ::SetLastError(static_cast<DWORD>(code)); }

Error error_kind(long code) {
    switch (static_cast<DWORD>(code)) {
    case ERROR_SUCCESS: return Error::none;
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_NAME: case ERROR_BAD_PATHNAME:
        return Error::missing;
    case ERROR_FILE_EXISTS: case ERROR_ALREADY_EXISTS: return Error::exists;
    case ERROR_ACCESS_DENIED: case ERROR_PRIVILEGE_NOT_HELD: case ERROR_NOT_SUPPORTED:
    case ERROR_WRITE_PROTECT:
        return Error::refused;
    case ERROR_SHARING_VIOLATION: return Error::in_use;
    case ERROR_NOT_SAME_DEVICE: return Error::cross_device;
    case ERROR_LOCK_VIOLATION: return Error::busy;
    case ERROR_READ_FAULT: case ERROR_WRITE_FAULT: case ERROR_IO_DEVICE: case ERROR_CRC: return Error::io;
    case ERROR_CALL_NOT_IMPLEMENTED: return Error::unsupported;
    default: return Error::other;
    }
}

Cause error_cause(long code) {
    switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: return Cause::missing;
    case ERROR_ACCESS_DENIED: case ERROR_PRIVILEGE_NOT_HELD: return Cause::denied;
    case ERROR_WRITE_PROTECT: return Cause::read_only_volume;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return Cause::full;
    case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: return Cause::in_use;
    default: return Cause::other;
    }
}

const char* error_text(long code, char* buffer, std::size_t size) {
    if (size == 0) return buffer;
    wchar_t text[512];
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                    static_cast<DWORD>(code), 0, text, static_cast<DWORD>(std::size(text)),
                                    nullptr);
    // One line: the system's text ends in CR LF, sometimes after a full stop.
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ' ||
                          text[length - 1] == L'.'))
        --length;
    if (length == 0) {
        std::snprintf(buffer, size, "system error %ld", code);
        return buffer;
    }
    std::size_t out = 0;
    for (DWORD i = 0; i < length && out + 1 < size; ++i) {
        const wchar_t c = text[i];
        if (c >= 0xDC00 && c <= 0xDFFF) continue;  // a pair's second half: its first showed "?"
        const int byte = c == L'\r' || c == L'\n'       ? ' '
                         : c >= 0xD800 && c <= 0xDBFF ? -1
                                                      : codepoint_to_cp1252(static_cast<char32_t>(c));
        buffer[out++] = byte < 0 ? '?' : static_cast<char>(byte);
    }
    buffer[out] = '\0';
    return buffer;
}

long error_code(Error kind) {
    switch (kind) {
    case Error::none: return ERROR_SUCCESS;
    case Error::missing: return ERROR_FILE_NOT_FOUND;
    case Error::exists: return ERROR_FILE_EXISTS;
    case Error::refused: return ERROR_ACCESS_DENIED;
    case Error::in_use: return ERROR_SHARING_VIOLATION;
    case Error::cross_device: return ERROR_NOT_SAME_DEVICE;
    case Error::busy: return ERROR_LOCK_VIOLATION;
    case Error::io: return ERROR_IO_DEVICE;
    case Error::unsupported: return ERROR_CALL_NOT_IMPLEMENTED;
    case Error::other: break;
    }
    return ERROR_GEN_FAILURE;
}

bool same_name(const std::string& a, const std::string& b) {
    const std::wstring first = telvor_win32::wide(a), second = telvor_win32::wide(b);
    return ::CompareStringOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                                  static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}

bool is_administrator(const std::string& account) {
    return account == "S-1-5-32-544" || account == "S-1-5-18";  // Administrators, SYSTEM
}

void prepare_large_memory(std::uint64_t) {}

void process_setup() {}

std::vector<std::string> process_arguments(int argc, char** argv) {
    // The process's own arguments come from its UTF-16 command line, so that
    // every name the user typed or Explorer passed arrives whole, whatever
    // the ANSI code page. An argument vector made by a caller (a test, a
    // tool) is used as given.
    std::vector<std::string> arguments;
    if (argv != nullptr && argv == __argv) {
        const std::vector<std::string> tokens = command_line_tokens(native_of(std::wstring(::GetCommandLineW())));
        if (!tokens.empty()) arguments.assign(tokens.begin() + 1, tokens.end());
        return arguments;
    }
    for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

}  // namespace os
