// Shared pieces of the POSIX file layer: path conversion and the question
// whether a file is held open by one of the File slots.
#pragma once

#include <string>

#include <sys/stat.h>

#include "runtime/text.h"

namespace telvor_posix {

// A path text (Windows-1252) as the operating system wants it (UTF-8).
std::string os_path(const Text& path);

// Whether the file with the identity of info (device and inode) is open in a
// File slot; with writers_only, only slots open for writing count.
bool file_is_open_in_slot(const struct stat& info, bool writers_only);

// Whether the file that path names (links followed) is open in a File slot.
bool path_is_open_in_slot(const std::string& os_path, bool writers_only);

// write(2) until every byte is written; EINTR and partial writes are retried.
bool write_fully(int fd, const char* data, std::size_t size);

}  // namespace telvor_posix
