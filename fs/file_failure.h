// The failure the file layer keeps for file_failure_reason and its kin,
// noted without allocating (memory may have run out).
#pragma once

#include <string>

namespace file_failure {

// A reason of the program's own.
void note(const char* reason);
// The system's reason for one of its error codes.
void note_code(long code);
// The reason the last failed system call left.
void note_system();
// The file a failure concerned and what was being done to it, where that
// is another file than the one the caller named.
void note_path(const char* doing, const std::string& path);
void clear_path();

}  // namespace file_failure
