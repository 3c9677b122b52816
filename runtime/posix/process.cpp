// Process services on POSIX: the command line, the current directory and
// the signal set-up that makes a file-size limit a write error.
#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "runtime/file.h"
#include "runtime/posix/posix_io.h"

namespace {

// The arguments after the program path, as the system passed them.
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
#if defined(__GLIBC__)
    // A run frees and allocates texts the size of the Guide text and more
    // over and over; memory kept by the process serves again at once, where
    // memory handed back to the system costs a page fault per page anew.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

Path program_parameter(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= g_parameters.size()) return Path();
    return Path{g_parameters[static_cast<std::size_t>(index)]};
}

Path directory_get_current() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) return Path{buffer.data()};
        if (errno != ERANGE) {
            telvor_posix::note_failure(errno);
            return Path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

int directory_set_current(const Path& path) {
    if (!path.empty() && ::chdir(path.native.c_str()) == 0) return 1;
    telvor_posix::note_failure(errno);
    return 0;
}

const char* directory_separator() { return "/"; }
