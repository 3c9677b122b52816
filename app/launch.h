// Starting TELVOR as the desktop does: the menu entry and a file manager's
// Open on Linux, the Start-menu shortcut and a .telvor file's Open on
// Windows all run "telvor --launch [EVENT-FILE]", which puts TELVOR into
// the folder its lists belong to before the run starts:
//
// - without an Event file, into the TELVOR folder of the user's documents
//   (~/TELVOR, Documents\TELVOR), made if missing. A list missing there is
//   put in from the installed ones (TELVOR.service with the channel names
//   guides show most, an empty TELVOR.filter); a list that exists is never
//   touched. Where that folder cannot be made, TELVOR runs in the
//   documents folder itself;
// - opened on an Event file whose folder holds a list (TELVOR.filter or
//   TELVOR.service), into that folder;
// - opened on one in a folder without lists (Downloads, a USB stick), into
//   the TELVOR folder as above, with the file named by its full path: the
//   run takes the user's lists. Where the TELVOR folder cannot be used, into
//   the file's folder.
#pragma once

#include <string>
#include <vector>

struct Launch {
    // False when the Event file's folder could not be entered: no run.
    bool entered = false;
    // The run's arguments: the program path, then the Event file if any.
    std::vector<std::string> run_arguments;
    // What went wrong on the way, one line each, for standard error.
    std::vector<std::string> notes;
    // Where the folder could not be entered: the system's reason.
    std::string failure;
};

// Enters the folder for a run started with these arguments (the program
// path first, at most one Event file after it).
Launch launch_enter_folder(const std::vector<std::string>& run_arguments);
