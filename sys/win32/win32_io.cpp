#include "sys/win32/win32_io.h"

#include "base/codepage.h"
#include "sys/os.h"

namespace {

// Names from this length on get the prefix that lifts the classic limit of
// 260 characters (a folder's name must leave room for an 8.3 name in it).
constexpr std::size_t LONG_PATH_FROM = 248;

}  // namespace

namespace telvor_win32 {

std::wstring wide(const std::string& native) {
    const std::u16string utf16 = utf16_from_wtf8(native);
    return std::wstring(utf16.begin(), utf16.end());
}

std::wstring full_path(const std::wstring& name) {
    const DWORD needed = ::GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(name.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return std::wstring();
    full.resize(length);
    return full;
}

std::wstring system_path(const std::string& native) {
    const std::wstring path = wide(native);
    if (path.size() < LONG_PATH_FROM || path.starts_with(L"\\\\?\\")) return path;
    const std::wstring full = full_path(path);
    if (full.empty()) return path;
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::string native_of(const wchar_t* text, std::size_t length) {
    return wtf8_from_utf16(std::u16string(text, text + length));
}

std::string native_of(const std::wstring& text) { return native_of(text.data(), text.size()); }

std::string error_text(DWORD error) {
    char text[512];
    return os::error_text(static_cast<long>(error), text, sizeof text);
}

}  // namespace telvor_win32
