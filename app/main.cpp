// TELVOR on the desktop: the run on the platform's window services.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/launch.h"
#include "app/main_sequence.h"
#include "app/version.h"
#include "base/codepage.h"
#include "fs/file.h"
#include "steps/run_state.h"
#include "sys/os.h"
#include "ui/desktop_window.h"

namespace {

bool entry_exists(const std::string& name) { return file_entry_exists(Path{name}) != 0; }

// Writes text to a stream; 0 when all of it got out, 1 otherwise (a closed
// or full standard output).
int print(std::FILE* stream, const std::string& text) {
    const bool written = std::fputs(text.c_str(), stream) >= 0;
    return written && std::fflush(stream) == 0 ? 0 : 1;
}

// Started from the desktop on a file whose folder cannot be entered (for
// the system's reason): said in a box too, since nobody there reads
// standard error.
void refuse_in_a_box(std::vector<std::string> arguments, const std::string& failure) {
    const Text reason = cp1252_from_utf8_or_cp1252(failure);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    WindowServices* services = desktop_window_services_create(1, argv.data());
    window_services_install(services);
    show_stop_message(VERSION_TEXT, translate("TELVOR cannot enter the folder of this Event file:") + "\n" +
                                        path_display(Path{arguments[1]}) + "\n" + translate(reason));
    window_services_install(nullptr);
    desktop_window_services_destroy(services);
}

}  // namespace

int main(int argc, char** argv) {
    // Answered before the window system is started or any file is looked at.
    // The arguments in the system's own form (on Windows from the wide
    // command line), the program path first.
    std::vector<std::string> given = os::process_arguments(argc, argv);
    given.insert(given.begin(), argc > 0 && argv != nullptr && argv[0] != nullptr ? argv[0] : "telvor");
    const CommandLine command = command_line_parse(given, entry_exists);
    switch (command.action) {
        case CommandLine::Action::help:
            return print(stdout, command_line_usage());
        case CommandLine::Action::version:
            return print(stdout, std::string("telvor ") + TELVOR_VERSION + "\n" + TELVOR_COPYRIGHT + "\n" +
                                     TELVOR_LICENCE + ": free to use, change and pass on, without warranty.\n");
        case CommandLine::Action::usage_error:
            print(stderr, "telvor: " + command.error + "\nTry 'telvor --help' for more information.\n");
            return EXIT_USAGE;
        case CommandLine::Action::run:
            break;
    }

    std::vector<std::string> run_arguments = command.run_arguments;
    if (command.launch) {
        Launch launch = launch_enter_folder(run_arguments);
        for (const std::string& note : launch.notes) print(stderr, "telvor: " + note + "\n");
        if (!launch.entered) {
            refuse_in_a_box(run_arguments, launch.failure);
            return EXIT_STEP_FAILED;
        }
        run_arguments = std::move(launch.run_arguments);
    }

    // The run takes its arguments as given, less the options.
    std::vector<char*> arguments;
    for (std::string& argument : run_arguments) arguments.push_back(argument.data());
    arguments.push_back(nullptr);
    const int count = static_cast<int>(run_arguments.size());
    os::process_setup();
    WindowServices* services = desktop_window_services_create(count, arguments.data());
    const int exit_code = telvor_run(*services, {run_arguments.begin() + 1, run_arguments.end()});
    desktop_window_services_destroy(services);
    return exit_code;
}
