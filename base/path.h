// Paths in the operating system's own form.
//
// A Path holds a name exactly as the system gave it (the command line, the
// current directory, the open-file dialog) and is used unchanged for every
// file operation: the bytes of the name on POSIX systems, the UTF-8 form of
// the UTF-16 name on Windows. A path becomes Windows-1252 text only where
// it is shown in a view or written into a file.
#pragma once

#include <string>

#include "base/text.h"

struct Path {
    std::string native;

    bool empty() const { return native.empty(); }
    bool operator==(const Path&) const = default;
};

// The path with tail appended byte for byte (no separator is inserted).
Path path_append(const Path& path, const std::string& tail);
// The path as Windows-1252 text: every character Windows-1252 lacks, and
// every byte that does not belong to a UTF-8 sequence, shows as "?".
Text path_display(const Path& path);
