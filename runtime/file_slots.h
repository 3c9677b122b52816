// The File slots themselves, on every platform: their buffers, the line
// splitting and the CR LF writing, the failures they keep, and which files
// they hold. A platform's file layer opens files and hands them over; it
// gives the slots its reading, writing and closing in return.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace file_slots {

// A file as the platform opened it: a descriptor or a handle, and what makes
// the file the same file under every name.
using Handle = std::intptr_t;
struct Identity {
    std::uint64_t device = 0;  // the device or volume
    std::uint64_t file = 0;    // the file on it
    bool operator==(const Identity&) const = default;
};

enum class Mode { reading, writing };

// Closes the slot and makes its buffer (before anything is opened, so that
// running out of memory leaves nothing open or created). False for a number
// that names no slot.
bool prepare(int slot);
// Puts a file the platform opened into a prepared slot. Refused (false, the
// file closed, the reason noted) while another slot holds the file: any
// other slot for a file to be written, a slot writing it for one to be read.
// path is the name it was opened by, for the injected read error.
bool install(int slot, Handle handle, const Identity& identity, Mode mode, const std::string& path);
// Whether a File slot holds the file; with writers_only, only slots open for
// writing count.
bool holds(const Identity& identity, bool writers_only);

// What the platform gives the slots, each with the platform's error code
// where it fails.
// Reads up to size bytes: the count read, 0 at the end, -1 on a failure.
long long platform_read(Handle handle, char* buffer, std::size_t size, long& error);
// Writes every byte.
bool platform_write(Handle handle, const char* data, std::size_t size, long& error);
bool platform_close(Handle handle, long& error);
// Keeps the platform's text for an error code as the failure reason.
void platform_note_failure(long error);
// The platform's code for an I/O error.
long platform_io_error();

}  // namespace file_slots
