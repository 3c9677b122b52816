// One complete run in the current directory with scripted window services:
//
//   telvor-scripted [--param PATH] [--choose PATH | --choose-cancel]
//                   [--clipboard FILE] [--copy-later FILE] [--clipboard-silent]
//                   --answer yes|no|cancel [--no-window]
//
// --copy-later puts the file's text on the clipboard while the question is
// open, as a user copying something else; --clipboard-silent makes the
// clipboard's owner never hand its text over. Prints the three views
// ([filter], [service], [event]), every other message box ([message] and
// its text), whether the clipboard was emptied, and the answer given to the
// question (or "never"). Exits with the run's exit status.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_sequence.h"
#include "runtime/file.h"
#include "runtime/scripted/scripted_window.h"

namespace {

int usage(const char* problem) {
    std::fprintf(stderr,
                 "telvor-scripted: %s\n"
                 "usage: telvor-scripted [--param PATH] [--choose PATH | --choose-cancel]\n"
                 "                       [--clipboard FILE] [--copy-later FILE] [--clipboard-silent]\n"
                 "                       --answer yes|no|cancel [--no-window]\n",
                 problem);
    return 2;
}

// Prints a view's lines in place: after a run that ran out of memory there
// may be no room for a copy.
void print_view(const char* name, const ScriptedWindow& window, int number) {
    std::printf("[%s]\n", name);
    const auto list = window.lists.find(number);
    if (list == window.lists.end()) return;
    for (const Text& line : list->second.lines) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    ScriptedWindow window;
    std::vector<char*> program_arguments = {argv[0]};
    bool answered = false;

    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool has_value = i + 1 < argc;
        if (option == "--param" && has_value) {
            program_arguments.push_back(argv[++i]);
        } else if (option == "--choose" && has_value) {
            // The dialog hands back the name the user picked, as the system has it.
            window.chosen_path = Path{argv[++i]};
        } else if (option == "--choose-cancel") {
            window.chosen_path = Path();
        } else if ((option == "--clipboard" || option == "--copy-later") && has_value) {
            std::ifstream in(argv[++i], std::ios::binary);
            if (!in) return usage("cannot read the clipboard file");
            const Text text(std::istreambuf_iterator<char>(in), {});
            if (option == "--copy-later") {
                window.later_copy = text;
            } else {
                window.clipboard = text;
                window.clipboard_has_text = true;
            }
        } else if (option == "--clipboard-silent") {
            window.clipboard_silent = true;
        } else if (option == "--answer" && has_value) {
            const std::string answer = argv[++i];
            if (answer == "yes") window.answer = ANSWER_YES;
            else if (answer == "no") window.answer = ANSWER_NO;
            else if (answer == "cancel") window.answer = ANSWER_CANCEL;
            else return usage("--answer takes yes, no or cancel");
            answered = true;
        } else if (option == "--no-window") {
            window.window_fails = true;
        } else {
            return usage(("unknown or incomplete option " + option).c_str());
        }
    }
    if (!answered) return usage("--answer is required");

    program_start(static_cast<int>(program_arguments.size()), program_arguments.data());
    const int code = telvor_run(window);

    print_view("filter", window, 0);
    print_view("service", window, 2);
    print_view("event", window, 1);
    for (const Text& message : window.messages) {
        std::fputs("[message] ", stdout);
        std::fwrite(message.data(), 1, message.size(), stdout);
        std::fputc('\n', stdout);
    }
    std::printf("[clipboard] %s\n", window.clipboard_cleared ? "emptied" : "kept");
    const char* asked = "never";
    if (window.questions_asked > 0)
        asked = window.answer == ANSWER_YES ? "yes" : window.answer == ANSWER_NO ? "no" : "cancel";
    std::printf("[asked] %s\n", asked);
    std::fflush(stdout);
    return code;
}
