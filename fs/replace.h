// Putting a working file in place of the Event file, and putting back what
// an interrupted replacement left in a journal (fs/file_replace.cpp).
#pragma once

#include <string>

#include "base/path.h"
#include "fs/failure.h"

// Puts the completed working file source in place of destination (links
// followed) and keeps the destination's owner, group, permission bits,
// extended attributes and names; source is gone then. The destination
// holds its old or its new content at every instant, or, while it is
// rewritten in place, its old content waits in a flushed journal beside it
// that file_recover puts back. Refused (source kept) while destination is
// open in a File slot, while source is being written, for a
// write-protected destination, where another process holds the
// destination's lock, and where a rewrite in place would need a journal in
// a folder that may not be written. The lock of the destination is taken
// for this process and moves to the new file.
FileResult file_replace(const Path& source, const Path& destination);

// What file_recover found under the name of a file's journal.
struct Recovery {
    enum class Outcome {
        none,      // no journal: nothing to do
        restored,  // the old content was put back and the journal removed
        refused,   // something stands there that is not applied: nothing was changed
        failed,    // a journal that may be applied could not be (failure)
    };
    Outcome outcome = Outcome::none;
    Path journal;        // the journal's path (all outcomes but none)
    // refused: what is wrong with it, one phrase ("it is a link", ...), and
    // where someone else made it, that account's name.
    std::string why;
    std::string stranger;
    Failure failure;     // failed: why
};
// Before a file is worked on: removes the temporary files that replacements
// killed midway left beside it, and puts back the old content of a rewrite
// in place that was interrupted. Only a journal this run may trust is
// applied (a plain file with one name, made by this user or the
// administrator, that this run may remove, of this very file, whole); any
// other entry under a journal's name is left as it is.
[[nodiscard]] Recovery file_recover(const Path& path);
// The name of the journal of the file at path (beside it), empty when the
// file cannot be told (it is missing).
Path file_journal_path(const Path& path);
