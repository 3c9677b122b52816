// Pieces shared by the Win32 file layer: paths between the program's form
// (WTF-8 bytes) and the system's (UTF-16), the failure reason of the last
// operation, file identities, the File slots' view of which files they hold,
// and path arithmetic on Windows names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace telvor_win32 {

// A path's bytes as UTF-16, unchanged otherwise.
std::wstring wide(const std::string& native);
// The form every file call gets: as wide(), and for a name too long for
// the classic limit the full path with the "\\?\" prefix that lifts it.
std::wstring system_path(const std::string& native);
// UTF-16 from the system as the program's bytes.
std::string native_of(const wchar_t* text, std::size_t length);
std::string native_of(const std::wstring& text);

// Keeps the reason for file_failure_reason: the system's text for an error
// code (in UTF-8, as the paths are), or a reason of the program's own.
void note_failure(DWORD error);
void note_failure(const char* reason);
// The system's text for an error code, one line, in Windows-1252.
std::string error_text(DWORD error);

// What makes a file the same file: the volume's serial number and the
// file's index on it.
struct FileId {
    DWORD volume = 0;
    unsigned long long index = 0;
    bool operator==(const FileId&) const = default;
};
bool handle_id(HANDLE handle, FileId& id);
// The identity of the file or folder a path names (links followed).
bool path_id(const std::wstring& path, FileId& id);

// Whether the file is open in a File slot; with writers_only, only slots
// open for writing count.
bool file_is_open_in_slot(const FileId& id, bool writers_only);
bool path_is_open_in_slot(const std::wstring& path, bool writers_only);

// The folder part and the last name of a path, either separator counting
// ("." and the path when there is none; a drive's root keeps its
// backslash), and a name joined to a folder.
std::wstring parent_of(const std::wstring& path);
std::wstring name_of(const std::wstring& path);
std::wstring join(const std::wstring& folder, const std::wstring& name);
// The path a link (symbolic link or junction) finally leads to; the path
// itself when it is no link or does not exist.
std::wstring resolve_target(const std::wstring& path);
// Equality of two names as the file system compares them (letter case ignored).
bool same_name(const std::wstring& a, const std::wstring& b);

// The command line split as TELVOR splits it: runs of spaces separate
// tokens; a token that begins with a double quote runs to the next one (or
// the end), the quotes not part of it; every other token runs to the next
// space. The first token is the program.
std::vector<std::wstring> command_line_tokens(const std::wstring& line);

}  // namespace telvor_win32
