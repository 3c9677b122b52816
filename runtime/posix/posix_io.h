// Pieces shared by the POSIX file layer: one helper per system quirk
// (interrupted calls, non-blocking opens, short writes), the failure reason
// of the last operation, the File slots' view of which files they hold, and
// path arithmetic on the system's own bytes.
#pragma once

#include <string>

#include <sys/stat.h>
#include <sys/types.h>

namespace telvor_posix {

// open(2), retried while a signal interrupts it; -1 on failure (errno set).
// Always close-on-exec. With O_NONBLOCK a FIFO cannot hang the open; the
// descriptor is made blocking again before it is returned.
int open_retrying(const std::string& path, int flags, mode_t mode = 0);
// write(2) until every byte is written; EINTR and partial writes are retried.
bool write_fully(int fd, const char* data, std::size_t size);

// Keeps the reason for file_failure_reason: the text of errno value error,
// or a reason of the program's own.
void note_failure(int error);
void note_failure(const char* reason);

// Whether the file with the identity of info (device and inode) is open in a
// File slot; with writers_only, only slots open for writing count.
bool file_is_open_in_slot(const struct stat& info, bool writers_only);
// Whether the file that path names (links followed) is open in a File slot.
bool path_is_open_in_slot(const std::string& path, bool writers_only);

// The folder part and the last name of a path ("." and the path when it
// has no "/"), and a name joined to a folder.
std::string parent_of(const std::string& path);
std::string name_of(const std::string& path);
std::string join(const std::string& folder, const std::string& name);
// The entry that path finally names after following symbolic links (a
// relative link target counts from the link's folder). The entry need not
// exist; false when the chain cannot be followed.
bool resolve_target(const std::string& path, std::string& target);

}  // namespace telvor_posix
