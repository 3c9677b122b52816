// What the platform tells about starting the program from the desktop: its
// arguments as the system gave them, the user's documents folder, the
// folder of the files installed with the program, and making a folder.
#pragma once

#include <string>
#include <vector>

#include "runtime/path.h"

// The program's arguments, the program path first, each in the system's
// own form (runtime/path.h): on Windows taken from the process's UTF-16
// command line when argv is the one the process was started with, so that
// names beyond the ANSI code page arrive whole.
std::vector<std::string> program_arguments(int argc, char** argv);
// The folder in which the desktop keeps the user's own TELVOR folder: the
// home folder on Linux, Documents on Windows. Empty when the system names
// none.
Path user_documents_folder();
// The folder of the files installed for new TELVOR folders (the lists they
// start with): share/telvor beside the program's bin folder on Linux
// (/usr/share/telvor for /usr/bin/telvor), the program's own folder on
// Windows. Empty when the program's own path is unknown.
Path installed_data_folder();
// Makes the folder (its parent must exist); nonzero when a folder of that
// name exists afterwards, made now or before. A failure leaves its reason
// for file_failure_reason.
int directory_create(const Path& path);
