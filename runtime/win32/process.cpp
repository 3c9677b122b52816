// Process services on Win32: the command line, the current directory.
//
// The parameters of the process come from its own UTF-16 command line
// (GetCommandLineW), so that every name the user typed or Explorer passed
// arrives whole, whatever the ANSI code page. An argument vector made by a
// caller (a test, a tool) is used as given.
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/file.h"
#include "runtime/win32/win32_io.h"

namespace {

std::vector<std::string> g_parameters;

}  // namespace

void program_start(int argc, char** argv) {
    g_parameters.clear();
    if (argv != nullptr && argv == __argv) {
        const std::vector<std::wstring> tokens = telvor_win32::command_line_tokens(::GetCommandLineW());
        for (std::size_t i = 1; i < tokens.size(); ++i)
            g_parameters.push_back(telvor_win32::native_of(tokens[i]));
        return;
    }
    for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i)
        g_parameters.emplace_back(argv[i]);
}

Path program_parameter(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= g_parameters.size()) return Path();
    return Path{g_parameters[static_cast<std::size_t>(index)]};
}

Path directory_get_current() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            telvor_win32::note_failure(::GetLastError());
            return Path();
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return Path{telvor_win32::native_of(buffer)};
        }
        buffer.resize(length);  // the size needed, terminator included
    }
}

int directory_set_current(const Path& path) {
    if (!path.empty() && ::SetCurrentDirectoryW(telvor_win32::wide(path.native).c_str())) return 1;
    telvor_win32::note_failure(path.empty() ? DWORD{ERROR_PATH_NOT_FOUND} : ::GetLastError());
    return 0;
}

const char* directory_separator() { return "\\"; }
