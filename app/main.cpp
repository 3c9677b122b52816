// TELVOR on the desktop: the run on the platform's window services.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_sequence.h"
#include "run/run_state.h"
#include "runtime/desktop_window.h"
#include "runtime/file.h"

#ifndef TELVOR_VERSION
#error "TELVOR_VERSION must be defined by the build"
#endif

namespace {

bool entry_exists(const std::string& name) { return file_entry_exists(Path{name}) != 0; }

// Writes text to a stream; 0 when all of it got out, 1 otherwise (a closed
// or full standard output).
int print(std::FILE* stream, const std::string& text) {
    const bool written = std::fputs(text.c_str(), stream) >= 0;
    return written && std::fflush(stream) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Answered before the window system is started or any file is looked at.
    const CommandLine command = command_line_parse(argc, argv, entry_exists);
    switch (command.action) {
        case CommandLine::Action::help:
            return print(stdout, command_line_usage());
        case CommandLine::Action::version:
            return print(stdout, std::string("telvor ") + TELVOR_VERSION + "\n");
        case CommandLine::Action::usage_error:
            print(stderr, "telvor: " + command.error + "\nTry 'telvor --help' for more information.\n");
            return EXIT_USAGE;
        case CommandLine::Action::run:
            break;
    }

    // The run takes its arguments as the system gave them (on Windows the
    // wide command line behind argv) unless "--" had to be taken out.
    std::vector<char*> arguments;
    for (const std::string& argument : command.run_arguments)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    const bool as_given = static_cast<int>(command.run_arguments.size()) == argc;
    const int count = as_given ? argc : static_cast<int>(command.run_arguments.size());
    char** const run_argv = as_given ? argv : arguments.data();

    program_start(count, run_argv);
    WindowServices* services = desktop_window_services_create(count, run_argv);
    const int exit_code = telvor_run(*services);
    desktop_window_services_destroy(services);
    return exit_code;
}
