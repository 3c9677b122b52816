#include "sys/launch_services.h"

#include <string>
#include <string_view>

#include "sys/os.h"

#ifndef TELVOR_DATA_FROM_PROGRAM
#error "TELVOR_DATA_FROM_PROGRAM (the data folder relative to the program's folder) must be defined by the build"
#endif

Path user_documents_folder() {
    std::string folder;
    return os::user_folder(folder) ? Path{folder} : Path();
}

Path installed_data_folder() {
    std::string program;
    if (!os::program_path(program) || program.empty()) return Path();
    // "" where the data lie beside the program itself.
    constexpr std::string_view FROM_PROGRAM = TELVOR_DATA_FROM_PROGRAM;
    const std::string folder = path_parent(program);
    return Path{FROM_PROGRAM.empty() ? folder : path_join(folder, FROM_PROGRAM)};
}
