// Paths in the operating system's own form, and the one vocabulary of path
// arithmetic on them.
//
// A Path holds a name exactly as the system gave it (the command line, the
// current directory, the open-file dialog) and is used unchanged for every
// file operation: the bytes of the name on POSIX systems, the UTF-8 form of
// the UTF-16 name on Windows. A path becomes Windows-1252 text only where
// it is shown in a view or written into a file.
#pragma once

#include <string>
#include <string_view>

#include "base/text.h"

struct Path {
    std::string native;

    bool empty() const { return native.empty(); }
    bool operator==(const Path&) const = default;
};

// Whether names are Windows names ("\" and "/" separate, "C:" names a
// drive), and the separator the system writes.
#ifdef _WIN32
inline constexpr bool WINDOWS_NAMES = true;
inline constexpr char PATH_SEPARATOR[] = "\\";
#else
inline constexpr bool WINDOWS_NAMES = false;
inline constexpr char PATH_SEPARATOR[] = "/";
#endif

// The folder part of a path and its last name: "." and the path itself
// where there is no separator; a root keeps its separator ("/", "\",
// "C:\"), and "C:name" lies in "C:".
std::string path_parent(std::string_view path);
std::string path_name(std::string_view path);
// A name joined to a folder: one separator between them, none added after
// a separator or a bare drive ("C:").
std::string path_join(std::string_view folder, std::string_view name);
Path path_join(const Path& folder, std::string_view name);
// Whether a path leads from a root ("/x", "\x", "C:\x"), not from the
// current folder.
bool path_is_absolute(std::string_view path);

// The path as Windows-1252 text: every character Windows-1252 lacks, and
// every byte that does not belong to a UTF-8 sequence, shows as "?".
Text path_display(const Path& path);
