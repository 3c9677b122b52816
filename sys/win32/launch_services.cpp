// Starting from the desktop on Windows: the Documents folder, and the
// program's own folder, where the installer and the zip put the lists a new
// TELVOR folder starts with.
#include "sys/launch_services.h"

#include <cwchar>
#include <string>

#include "sys/os.h"
#include "sys/win32/win32_io.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

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
            return Path{os::parent_of(telvor_win32::native_of(program))};
        }
        program.resize(program.size() * 2);  // cut short: try a larger buffer
    }
}
