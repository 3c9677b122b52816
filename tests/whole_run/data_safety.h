// Whole runs for the data-safety tests: a run with scripted window services
// in a given folder, and a snapshot of every entry below a folder.
#pragma once

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "run/run_state.h"
#include "runtime/scripted/scripted_window.h"
#include "support/test_support.h"

namespace safety {

namespace fs = std::filesystem;

inline const std::string GUIDE = "Sa. 5.12.2009\tNeu\r\n8:15\t30 min.\tInfo\r\n8:45\tText\r\n";
inline const std::string OLD_FILE = "04.12.2009 20:15 + Alt\r\nGenre: Krimi\r\nFall.\r\n\r\n";

// Every entry below a folder with its bytes (a folder, link or FIFO by kind).
inline std::vector<std::string> snapshot(const std::string& folder) {
    std::vector<std::string> all;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().string();
        if (entry.is_symlink()) all.push_back(name + " -> " + fs::read_symlink(entry.path()).string());
        else if (entry.is_regular_file()) all.push_back(name + " = " + read_bytes(name));
        else all.push_back(name + (entry.is_directory() ? " /" : " |"));
    }
    std::sort(all.begin(), all.end());
    return all;
}

struct Outcome {
    ScriptedWindow window;
    int status = -1;
};

inline Outcome telvor(const std::string& folder, const std::vector<std::string>& arguments,
                      const std::string& chosen = "", int answer = ANSWER_YES,
                      std::optional<std::string> clipboard = GUIDE) {
    Outcome run;
    run.window.answer = answer;
    run.window.clipboard_has_text = clipboard.has_value();
    run.window.clipboard = clipboard.value_or("");
    run.window.chosen_path = Path{chosen};
    run.status = run_in_folder(folder, run.window, arguments);
    return run;
}

}  // namespace safety
