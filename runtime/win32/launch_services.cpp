// Starting from the desktop on Windows: the UTF-16 command line, the
// Documents folder, and the program's own folder, where the installer and
// the zip put the lists a new TELVOR folder starts with.
#include "runtime/launch_services.h"

#include <cstdlib>

#include "runtime/win32/win32_io.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

std::vector<std::string> program_arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    if (argv != nullptr && argv == __argv) {
        for (const std::wstring& token : telvor_win32::command_line_tokens(::GetCommandLineW()))
            arguments.push_back(telvor_win32::native_of(token));
        if (!arguments.empty()) return arguments;
    }
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

Path user_documents_folder() {
    PWSTR folder = nullptr;
    Path result;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &folder)))
        result.native = telvor_win32::native_of(folder, std::wcslen(folder));
    ::CoTaskMemFree(folder);
    return result;
}

Path installed_data_folder() {
    std::wstring program(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
        if (length == 0) return Path();
        if (length < program.size()) {
            program.resize(length);
            return Path{telvor_win32::native_of(telvor_win32::parent_of(program))};
        }
        program.resize(program.size() * 2);  // cut short: try a larger buffer
    }
}

int directory_create(const Path& path) {
    const std::wstring name = telvor_win32::system_path(path.native);
    if (::CreateDirectoryW(name.c_str(), nullptr)) return 1;
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return 1;
    telvor_win32::note_failure(error);
    return 0;
}
