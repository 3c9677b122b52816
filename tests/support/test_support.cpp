#include "support/test_support.h"

#include "app/main_sequence.h"
#include "runtime/file.h"
#include "runtime/scripted/scripted_window.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

ScratchDir::ScratchDir() {
    static std::mt19937_64 random{std::random_device{}()};
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::filesystem::path folder = base / ("telvor-test-" + std::to_string(random() % 1000000000));
        std::error_code error;
        if (std::filesystem::create_directory(folder, error)) path_ = folder.string() + directory_separator();
    }
    if (path_.empty()) throw std::runtime_error("no scratch folder could be made");
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    // Read-only folders made by a test must not stop the clean-up.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool file_exists_on_disk(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

long folder_entries(const std::string& folder) {
    return static_cast<long>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

std::string sample_bytes(const std::string& name) {
    return read_bytes(std::string(TELVOR_SAMPLES_DIR) + "/" + name);
}

int run_in_folder(const std::string& folder, ScriptedWindow& window,
                  const std::vector<std::string>& arguments) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    std::vector<std::string> words = {"telvor"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    program_start(static_cast<int>(words.size()), argv.data());
    const int status = telvor_run(window);
    std::filesystem::current_path(previous);
    return status;
}

namespace expect {

const std::string SEPARATOR(102, '=');
const std::string CREDIT = "TELVOR - made by the TELVOR developers";

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Lines notice(const std::string& name, const std::string& what) {
    return {"File: >>> " + name + " <<< " + what, SEPARATOR};
}

Lines list_view(const std::string& file, const Lines& entries, bool unread) {
    const Lines start = Lines{CREDIT, SEPARATOR} + notice(file, "reading...");
    if (unread) return start + entries + notice(file, "Not reading...");
    return start + entries + Lines{SEPARATOR} + notice(file, "reading complete...");
}

Lines event_view(const std::string& name, const Lines& body, bool closed) {
    return Lines{CREDIT, SEPARATOR} + notice(name, "writing...") + body +
           (closed ? Lines{SEPARATOR} + notice(name, "new created...") : Lines{});
}

}  // namespace expect
