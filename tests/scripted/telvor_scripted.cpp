// telvor-scripted: one whole run in the current directory on scripted window
// services, the views and boxes printed afterwards. Its options and output
// are an interface that checks outside the test suite rely on (described in
// docs/tests.md); change them only with a note there.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_sequence.h"
#include "steps/views.h"
#include "support/scripted_window.h"
#include "sys/os.h"

namespace {

const char* const USAGE =
    "Usage: telvor-scripted [--param PATH] [--choose PATH | --choose-cancel] [--clipboard FILE]\n"
    "                       [--copy-later FILE] [--clipboard-silent] [--answer yes|no|cancel]\n"
    "                       [--no-window]\n"
    "       telvor-scripted --help\n"
    "\n"
    "Runs one whole TELVOR run in the current directory without a display and prints\n"
    "[filter], [service] and [event], each followed by its view's lines; one\n"
    "[message] TEXT per other message box (a line break as \\n, a backslash as \\\\);\n"
    "[clipboard] emptied|kept; [asked] yes|no|cancel|never.\n"
    "\n"
    "  --param PATH         the run's Event file parameter\n"
    "  --choose PATH        the open-file dialog returns PATH\n"
    "  --choose-cancel      the open-file dialog is cancelled (so without --choose)\n"
    "  --clipboard FILE     the clipboard holds FILE's bytes (else it holds no text)\n"
    "  --copy-later FILE    FILE's bytes are copied while the question is open\n"
    "  --clipboard-silent   the clipboard's owner never hands its text over\n"
    "  --answer ANSWER      the button chosen in the question (cancel unless told)\n"
    "  --no-window          the main window cannot be opened\n"
    "\n"
    "Exit status: the run's own; 2 for a command line not understood.\n";

int usage_error(const std::string& why) {
    std::fprintf(stderr, "telvor-scripted: %s\n%s", why.c_str(), USAGE);
    return 2;
}

// A view's lines as they stand (a run that ran out of memory is printed too).
void print_view(const char* name, const ScriptedWindow& window, int view) {
    std::printf("[%s]\n", name);
    if (const auto list = window.lists.find(view); list != window.lists.end())
        for (const Text& line : list->second.lines) std::fwrite(line.data(), 1, line.size(), stdout), std::fputc('\n', stdout);
}

}  // namespace

int main(int argc, char** argv) {
    ScriptedWindow window;
    std::vector<std::string> parameters;
    bool chosen = false, cancelled = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") return std::fputs(USAGE, stdout), 0;
        if (option == "--choose-cancel") {
            cancelled = true;
        } else if (option == "--clipboard-silent") {
            window.clipboard_silent = true;
        } else if (option == "--no-window") {
            window.window_fails = true;
        } else if (option != "--param" && option != "--choose" && option != "--clipboard" && option != "--copy-later" &&
                   option != "--answer") {
            return usage_error("unknown option '" + option + "'");
        } else if (i + 1 == argc) {
            return usage_error(option + " needs a value");
        } else if (const std::string text = argv[++i]; option == "--param") {
            parameters.push_back(text);
        } else if (option == "--choose") {
            window.chosen_path = Path{text};
            chosen = true;
        } else if (option == "--answer") {
            if (text != "yes" && text != "no" && text != "cancel")
                return usage_error("--answer takes yes, no or cancel, not '" + text + "'");
            window.answer = text == "yes" ? ANSWER_YES : text == "no" ? ANSWER_NO : ANSWER_CANCEL;
        } else {
            std::ifstream in(text, std::ios::binary);
            if (!in) return usage_error("cannot read " + text);
            Text bytes(std::istreambuf_iterator<char>(in), {});
            if (option == "--copy-later") window.later_copy = bytes;
            else window.clipboard = bytes, window.clipboard_has_text = true;
        }
    }
    if (chosen && cancelled) return usage_error("--choose and --choose-cancel exclude each other");

    os::process_setup();
    const int status = telvor_run(window, parameters);
    print_view("filter", window, FILTER_VIEW);
    print_view("service", window, SERVICE_VIEW);
    print_view("event", window, EVENT_VIEW);
    for (const Text& message : window.messages) {
        std::fputs("[message] ", stdout);
        for (const char c : message) {
            if (c == '\n' || c == '\\') std::fputc('\\', stdout);
            std::fputc(c == '\n' ? 'n' : c, stdout);
        }
        std::fputc('\n', stdout);
    }
    const int answer = window.answer;
    std::printf("[clipboard] %s\n[asked] %s\n", window.clipboard_cleared ? "emptied" : "kept",
                window.questions_asked == 0 ? "never" : answer == ANSWER_YES ? "yes" : answer == ANSWER_NO ? "no" : "cancel");
    return std::fflush(stdout) == 0 ? status : 1;
}
