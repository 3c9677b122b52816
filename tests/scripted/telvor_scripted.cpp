// telvor-scripted [--param PATH] [--choose PATH] [--clipboard FILE] [--answer yes|no]: one whole run
// in the current directory with scripted window services (answer Cancel unless told). Prints each
// message box ([message] TEXT) and [clipboard] emptied|kept; exits with the run's status, 2 on a bad command line.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_sequence.h"
#include "runtime/file.h"
#include "runtime/scripted/scripted_window.h"

int main(int argc, char** argv) {
    ScriptedWindow window;
    std::vector<char*> arguments = {argv[0]};
    bool bad = argc % 2 == 0;  // options come in pairs
    for (int i = 1; i + 1 < argc && !bad; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        std::ifstream in(option == "--clipboard" ? value : "", std::ios::binary);
        if (option == "--param") arguments.push_back(argv[i + 1]);
        else if (option == "--choose") window.chosen_path = Path{value};
        else if (in) window.clipboard.assign(std::istreambuf_iterator<char>(in), {});
        else if (option == "--answer" && (value == "yes" || value == "no"))
            window.answer = value == "yes" ? ANSWER_YES : ANSWER_NO;
        else bad = true;
        window.clipboard_has_text |= in.is_open();
    }
    if (bad) {
        std::fputs("telvor-scripted: bad command line\n", stderr);
        return 2;
    }
    program_start(static_cast<int>(arguments.size()), arguments.data());
    const int code = telvor_run(window);
    for (const Text& message : window.messages) std::printf("[message] %s\n", message.c_str());
    std::printf("[clipboard] %s\n", window.clipboard_cleared ? "emptied" : "kept");
    return code;
}
