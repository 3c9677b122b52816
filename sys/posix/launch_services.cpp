// Starting from the desktop on Linux: the home folder, and the data folder
// the package installs beside the program's bin folder.
#include "sys/launch_services.h"

#include <cstdlib>
#include <string>

#include <pwd.h>
#include <unistd.h>

#include "sys/os.h"

#ifndef TELVOR_DATA_FROM_PROGRAM
#error "TELVOR_DATA_FROM_PROGRAM (the data folder relative to the program's folder) must be defined by the build"
#endif

Path user_documents_folder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return Path{home};
    const passwd* user = ::getpwuid(::getuid());
    if (user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] != '\0') return Path{user->pw_dir};
    return Path();
}

Path installed_data_folder() {
    std::string program(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", program.data(), program.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= program.size()) return Path();
    program.resize(static_cast<std::size_t>(length));
    return Path{os::join(os::parent_of(program), TELVOR_DATA_FROM_PROGRAM)};
}
