// Why a file operation failed, carried as a value.
//
// Every function of the file layer that can fail returns a FileResult (or
// a value that holds a Failure): the system's error code, or the program's
// own reason, and, where the failure concerned another file than the one
// the caller named (a working file that vanished, a journal, a folder that
// could not be flushed), what was being done to it and its path. A Failure
// without such a path allocates nothing, so the file layer can fail while
// memory has run out (closing and deleting name no other file).
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "base/path.h"
#include "base/text.h"

struct Failure {
    long code = 0;              // the system's error code behind it; 0 for none
    const char* own = nullptr;  // the program's own reason (a fixed text), where it has one
    const char* doing = "";     // what was being done to `path`
    std::string path;           // that file: empty for the one the caller named
    std::string note;           // words said after the reason ("; its old content waits in ...")
};

// The failure of the system call that failed last (its error code), of an
// error code, of a reason of the program's own; with doing and path, about
// another file than the caller's.
Failure system_failure(const char* doing = "", const std::string& path = {});
Failure code_failure(long code, const char* doing = "", const std::string& path = {});
Failure own_failure(const char* reason, const char* doing = "", const std::string& path = {});

// What an operation of the file layer came to: done, or its Failure.
class [[nodiscard]] FileResult {
public:
    FileResult() = default;
    FileResult(Failure failure) : failed_(true), failure_(std::move(failure)) {}
    explicit operator bool() const { return !failed_; }
    const Failure& failure() const { return failure_; }

private:
    bool failed_ = false;
    Failure failure_;
};

// The reason, one line: the program's own, else the system's words for
// the code; the note after it.
Text failure_reason(const Failure& failure);
// The same for the user: in plain words where the code is one of the
// common causes ("it does not exist", "it is write-protected", "no
// permission", "the file system is read-only", "the disk is full",
// "another program has the file open"), else as above. named: the file
// the caller named, looked at (where the failure names no other) to tell a
// write-protected file from a refusal. doing: what was being done to it; a
// file that cannot be created for want of its folder has "its folder does
// not exist".
Text failure_plain_reason(const Failure& failure, const Path& named, std::string_view doing = {});
