// The desktop program's command line, read before anything else happens:
// --help and --version answer at once; --launch asks for the desktop's way
// of starting (app/launch.h); any other argument that begins with "-" and
// names no existing file is a usage error. What remains is the run's own
// argument, the Event file.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct CommandLine {
    enum class Action { run, help, version, usage_error };
    Action action = Action::run;
    // For run: the arguments the run is started with, the program path
    // first, "--" left out.
    std::vector<std::string> run_arguments;
    // For run: started as the desktop starts TELVOR (--launch).
    bool launch = false;
    // For usage_error: the one line that says what is wrong.
    std::string error;
};

inline const char* command_line_usage() {
    return "Usage: telvor [EVENT-FILE]\n"
           "       telvor --launch [EVENT-FILE]\n"
           "       telvor --help | --version\n"
           "\n"
           "Turns the DreamBox programme guide text on the clipboard into Event\n"
           "records in EVENT-FILE, filters them, drops repeats and asks whether to\n"
           "mark the events not yet marked. Without EVENT-FILE an open-file dialog\n"
           "asks for it. A file whose name begins with '-' is named as ./-name or\n"
           "after '--'.\n"
           "\n"
           "The Program directory is the current directory: TELVOR reads\n"
           "TELVOR.filter (filter terms) and TELVOR.service (channel names) there\n"
           "and makes its working file TELVOR.DAT there during a run.\n"
           "\n"
           "  --launch       start as the desktop menu does: in ~/TELVOR (Windows:\n"
           "                 Documents\\TELVOR), made if missing; lists missing there\n"
           "                 are put in from the installed ones, lists there are never\n"
           "                 changed. An EVENT-FILE in a folder that holds TELVOR.filter\n"
           "                 or TELVOR.service runs in that folder, with its lists\n"
           "  -h, --help     print this help and exit\n"
           "  -V, --version  print the version and exit\n"
           "\n"
           "Exit status:\n"
           "  0  the run did what it set out to do (a Cancel included)\n"
           "  1  a step failed: a file could not be read or written (stderr names\n"
           "     the path and the reason)\n"
           "  2  usage error\n"
           "  3  no display\n"
           "  4  another TELVOR run holds this folder or this Event file\n"
           "  5  out of memory\n";
}

// Reads the arguments, the program path first; exists tells whether a
// directory entry of that name exists. The first of --help, --version or an
// unknown option decides; after "--" every argument is a file name. One
// Event file at most.
inline CommandLine command_line_parse(const std::vector<std::string>& arguments,
                                      const std::function<bool(const std::string&)>& exists) {
    CommandLine result;
    result.run_arguments.push_back(arguments.empty() ? "telvor" : arguments.front());
    std::vector<std::string> files;
    bool options_end = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!options_end && argument == "--") {
            options_end = true;
            continue;
        }
        if (!options_end && !argument.empty() && argument[0] == '-') {
            if (argument == "--help" || argument == "-h") {
                result.action = CommandLine::Action::help;
                return result;
            }
            if (argument == "--version" || argument == "-V") {
                result.action = CommandLine::Action::version;
                return result;
            }
            if (argument == "--launch") {
                result.launch = true;
                continue;
            }
            if (!exists(argument)) {
                result.action = CommandLine::Action::usage_error;
                result.error = "unknown option '" + argument + "'";
                return result;
            }
        }
        files.push_back(argument);
    }
    if (files.size() > 1) {
        result.action = CommandLine::Action::usage_error;
        result.error = "one Event file at most, " + std::to_string(files.size()) + " given";
        return result;
    }
    result.run_arguments.insert(result.run_arguments.end(), files.begin(), files.end());
    return result;
}
