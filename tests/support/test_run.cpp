// One whole run in a folder, for the test programs that link the whole
// program (support/test_support.h).
#include <filesystem>

#include "app/main_sequence.h"
#include "support/scripted_window.h"
#include "support/test_support.h"
#include "sys/os.h"

int run_in_folder(const std::string& folder, ScriptedWindow& window, const std::vector<std::string>& arguments) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    os::process_setup();
    const int status = telvor_run(window, arguments);
    std::filesystem::current_path(previous);
    return status;
}
