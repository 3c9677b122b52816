// The current folder, making folders, and the claims of folders and files
// a run holds (fs/folders.cpp).
#pragma once

#include "base/path.h"
#include "fs/failure.h"

// The current folder, whole (no length limit).
FileResult directory_get_current(Path& path);
// Makes path the current folder.
FileResult directory_set_current(const Path& path);
// Makes the folder (its parent must exist); done where a folder of that
// name exists afterwards, made now or before.
FileResult directory_create(const Path& path);

// Whether a claim was taken.
enum class Claim : unsigned char {
    claimed,  // this process holds it (also where no folder is: nothing there can be written)
    busy,     // another process holds it
    failed,   // it cannot be locked (failure)
};
struct [[nodiscard]] ClaimResult {
    Claim claim = Claim::claimed;
    Failure failure;
};
// Claims a folder for this process until folder_locks_release or the
// process's end (the system drops the claim of a process that dies).
ClaimResult folder_lock(const Path& folder);
// The same for the folder that holds the file that path finally names
// (links followed), and for that file itself: the folder's claim outlives
// every replacement of the file, the file's claim moves with it, and a run
// on another name of the file (a hard link in another folder) finds it busy.
ClaimResult folder_lock_of_file(const Path& path);
void folder_locks_release();
