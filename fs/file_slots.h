// The File slots: their buffers, the line splitting and the CR LF writing,
// the failures they keep, and which files they hold. The file layer opens
// files through the system-call table and hands them over.
#pragma once

#include <cstdint>

#include "fs/failure.h"
#include "sys/os.h"

namespace file_slots {

// What makes a file the same file under every name.
struct Identity {
    std::uint64_t device = 0;  // the device or volume
    std::uint64_t file = 0;    // the file on it
    bool operator==(const Identity&) const = default;
};
inline Identity identity_of(const os::Info& info) { return {info.device, info.file}; }

enum class Mode { reading, writing };

// Writes every byte to an open file and, where asked, starts the bytes
// written so far on their way to the disk, not waiting for them: the flush
// that ends the file then waits only for the last of them.
bool write_started(os::Handle handle, const char* data, std::size_t size, bool start_writeback = true);

// Closes the slot and makes its buffer (before anything is opened, so that
// running out of memory leaves nothing open or created). False for a number
// that names no slot.
bool prepare(int slot);
// Puts an opened file into a prepared slot. Refused (the file closed)
// while another slot holds the file: any other slot for a file to be
// written, a slot writing it for one to be read.
FileResult install(int slot, os::Handle handle, const Identity& identity, Mode mode);
// Whether a File slot holds the file; with writers_only, only slots open for
// writing count.
bool holds(const Identity& identity, bool writers_only);

}  // namespace file_slots
