// What the system tells about starting the program from the desktop, read
// through the system-call table: the user's documents folder and the
// folder of the files installed with the program.
#pragma once

#include "base/path.h"

// The folder in which the desktop keeps the user's own TELVOR folder: the
// home folder on Linux, Documents on Windows. Empty when the system names
// none.
Path user_documents_folder();
// The folder of the files installed for new TELVOR folders (the lists they
// start with): share/telvor beside the program's bin folder on Linux
// (/usr/share/telvor for /usr/bin/telvor), the program's own folder on
// Windows. Empty when the program's own path is unknown.
Path installed_data_folder();
