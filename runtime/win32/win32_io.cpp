#include "runtime/win32/win32_io.h"

#include <cwchar>

#include "runtime/codepage.h"
#include "runtime/file.h"

namespace {

// Names from this length on get the prefix that lifts the classic limit of
// 260 characters (a folder's name must leave room for an 8.3 name in it).
constexpr std::size_t LONG_PATH_FROM = 248;

Text g_failure_reason;

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The system's text for an error code, one line.
std::u16string error_message(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text;
    if (length > 0 && buffer != nullptr) text.assign(buffer, buffer + length);
    if (buffer != nullptr) ::LocalFree(buffer);
    // One line: the system's text ends in CR LF, sometimes after a full stop.
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ' ||
                             text.back() == u'.'))
        text.pop_back();
    for (char16_t& c : text)
        if (c == u'\r' || c == u'\n') c = u' ';
    if (text.empty()) {
        const std::string fallback = "system error " + std::to_string(error);
        text.assign(fallback.begin(), fallback.end());
    }
    return text;
}

}  // namespace

namespace telvor_win32 {

std::wstring wide(const std::string& native) {
    const std::u16string utf16 = utf16_from_wtf8(native);
    return std::wstring(utf16.begin(), utf16.end());
}

std::wstring system_path(const std::string& native) {
    std::wstring path = wide(native);
    if (path.size() < LONG_PATH_FROM || path.starts_with(L"\\\\?\\")) return path;
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::string native_of(const wchar_t* text, std::size_t length) {
    return wtf8_from_utf16(std::u16string(text, text + length));
}

std::string native_of(const std::wstring& text) { return native_of(text.data(), text.size()); }

std::string error_text(DWORD error) { return cp1252_from_utf16(error_message(error)); }

// Kept as UTF-8, as the paths are: the reason is written out beside them.
void note_failure(DWORD error) { g_failure_reason = wtf8_from_utf16(error_message(error)); }

void note_failure(const char* reason) { g_failure_reason = reason; }

bool handle_id(HANDLE handle, FileId& id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) return false;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool path_id(const std::wstring& path, FileId& id) {
    // No access asked for: the open conflicts with no other open's sharing.
    const HANDLE handle = ::CreateFileW(path.c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool ok = handle_id(handle, id);
    ::CloseHandle(handle);
    return ok;
}

bool path_is_open_in_slot(const std::wstring& path, bool writers_only) {
    FileId id;
    return path_id(path, id) && file_is_open_in_slot(id, writers_only);
}

std::wstring parent_of(const std::wstring& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !is_separator(path[cut - 1])) --cut;
    if (cut == 0) {
        // "C:name" lies in the current folder of drive C.
        if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
        return L".";
    }
    std::size_t end = cut - 1;
    while (end > 0 && is_separator(path[end - 1])) --end;
    // A root keeps its separator: "\" and "C:\".
    if (end == 0 || (end == 2 && path[1] == L':')) return path.substr(0, end + 1);
    return path.substr(0, end);
}

std::wstring name_of(const std::wstring& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !is_separator(path[cut - 1])) --cut;
    if (cut == 0 && path.size() >= 2 && path[1] == L':') cut = 2;
    return path.substr(cut);
}

std::wstring join(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || is_separator(folder.back()) ||
        (folder.size() == 2 && folder[1] == L':'))
        return folder + name;
    return folder + L"\\" + name;
}

std::wstring resolve_target(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return path;
    const HANDLE handle = ::CreateFileW(path.c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return path;  // a link that leads nowhere is replaced itself
    std::wstring final_path(1024, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, final_path.data(),
                                               static_cast<DWORD>(final_path.size()), 0);
    if (length >= final_path.size()) {
        final_path.resize(length + 1);
        length = ::GetFinalPathNameByHandleW(handle, final_path.data(),
                                             static_cast<DWORD>(final_path.size()), 0);
    }
    ::CloseHandle(handle);
    if (length == 0 || length >= final_path.size()) return path;
    final_path.resize(length);
    return final_path;
}

bool same_name(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::vector<std::wstring> command_line_tokens(const std::wstring& line) {
    std::vector<std::wstring> tokens;
    std::size_t pos = 0;
    const std::size_t end = line.size();
    for (;;) {
        while (pos < end && line[pos] == L' ') ++pos;
        if (pos >= end) break;
        if (line[pos] == L'"') {
            const std::size_t close = line.find(L'"', pos + 1);
            const std::size_t stop = close == std::wstring::npos ? end : close;
            tokens.push_back(line.substr(pos + 1, stop - pos - 1));
            pos = close == std::wstring::npos ? end : close + 1;
        } else {
            const std::size_t space = line.find(L' ', pos);
            const std::size_t stop = space == std::wstring::npos ? end : space;
            tokens.push_back(line.substr(pos, stop - pos));
            pos = stop;
        }
    }
    return tokens;
}

}  // namespace telvor_win32

Text file_failure_reason() { return g_failure_reason; }

void file_set_failure_reason(const Text& reason) { g_failure_reason = reason; }
