// Process services on POSIX: the command line, the current directory and
// the signal set-up that makes a file-size limit a write error.
#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include <unistd.h>

#include "runtime/codepage.h"
#include "runtime/file.h"
#include "runtime/posix/file_internal.h"

namespace {

// The arguments after the program path, as the shell passed them (UTF-8).
std::vector<std::string> g_parameters;

}  // namespace

void program_start(int argc, char** argv) {
    g_parameters.clear();
    for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i)
        g_parameters.emplace_back(argv[i]);
    // Exceeding the file-size limit, or writing to a pipe nobody reads, fails
    // the write (EFBIG, EPIPE) instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

Text program_parameter(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= g_parameters.size()) return Text();
    return cp1252_from_utf8(g_parameters[static_cast<std::size_t>(index)]);
}

Text directory_get_current() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr)
            return cp1252_from_utf8(std::string(buffer.data()));
        if (errno != ERANGE) return Text();
        buffer.resize(buffer.size() * 2);
    }
}

int directory_set_current(const Text& path) {
    const std::string name = telvor_posix::os_path(path);
    return !name.empty() && ::chdir(name.c_str()) == 0 ? 1 : 0;
}

Text directory_separator() { return "/"; }
