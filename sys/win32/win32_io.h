// Names and texts between the program's form and the wide Win32 API: paths
// as WTF-8 bytes and as UTF-16, and the system's text for an error code.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace telvor_win32 {

// A path's bytes as UTF-16, unchanged otherwise.
std::wstring wide(const std::string& native);
// A name made full (the current folder's and drive's put in front); empty
// where that fails.
std::wstring full_path(const std::wstring& name);
// The form every file call gets: as wide(), and for a name too long for
// the classic limit the full path with the "\\?\" prefix that lifts it.
std::wstring system_path(const std::string& native);
// UTF-16 from the system as the program's bytes.
std::string native_of(const wchar_t* text, std::size_t length);
std::string native_of(const std::wstring& text);
// The system's text for an error code, one line, in Windows-1252.
std::string error_text(DWORD error);

}  // namespace telvor_win32
