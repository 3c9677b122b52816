// The swap and lock files editors keep beside a file they have open
// (fs/editor_files.cpp).
#pragma once

#include <vector>

#include "base/path.h"
#include "base/text.h"
#include "fs/failure.h"

// An editor's claim on a file: its swap or lock file beside it, or (where
// the system has sharing modes) an open that lets nobody else read it.
struct EditorFile {
    Text editor;        // "Vim", "Emacs", "LibreOffice", "Kate", "Microsoft Office", "another program"
    Path path;          // the swap or lock file; the file itself for an open that shares nothing
    bool live = true;   // its process runs, or the file does not say that it does not
    unsigned long long process = 0;  // the process it names (0: none)
};
// Looks for the editors' claims on the file that path finally names (links
// followed): Vim's swap files (.NAME.swp, .swo, ...), Emacs's lock
// (.#NAME), LibreOffice's (.~lock.NAME#), Kate's (.NAME.kate-swp), on
// Windows Office's owner file (~$NAME), and an open of the file that shares
// nothing. Vim's and Emacs's files name a process and a machine: one whose
// process no longer runs on this machine is not live. Fails where the
// folder or the file could not be looked at.
FileResult file_editors_find(const Path& path, std::vector<EditorFile>& found);
