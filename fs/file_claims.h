// The file layer's claims of files: the system's lock on the Event file
// itself, besides its folder's, so that one run at a time works on a file
// by whatever name it is reached. A rewrite in place keeps the file and its
// lock; a rename puts a new file in its place, to which the claim moves.
#pragma once

#include <string>

#include "sys/os.h"

namespace file_claims {

// Makes sure this process holds the lock of the file at path (info: what
// path_info told of it), taking it now where it does not.
os::Lock hold(const std::string& path, const os::Info& info);
// After a rename put the file now at path in place of the file old: a
// claim of old goes over to it.
void moved(const os::Info& old, const std::string& path, const os::Info& now);

}  // namespace file_claims
