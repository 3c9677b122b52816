#include "support/test_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    static std::mt19937_64 random{std::random_device{}()};
    std::error_code error;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path folder = fs::temp_directory_path() / ("telvor-test-" + std::to_string(random() % 1000000000));
        if (fs::create_directory(folder, error)) path_ = folder.string() + PATH_SEPARATOR;
    }
    if (path_.empty()) throw std::runtime_error("no scratch folder could be made");
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;  // folders a test made read-only must not stop the clean-up
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (fs::recursive_directory_iterator it(path_, ignored), end; it != end; it.increment(ignored))
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write_bytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool file_exists_on_disk(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

long folder_entries(const std::string& folder) {
    return static_cast<long>(std::distance(fs::directory_iterator(folder), {}));
}

std::string sample_bytes(const std::string& name) { return read_bytes(std::string(TELVOR_SAMPLES_DIR) + "/" + name); }

std::string records_past(std::size_t size) {
    std::string records;
    for (int i = 0; records.size() <= size; ++i)
        records += "04.12.2009 20:15   Folge " + std::to_string(i) + "\r\nGenre: Krimi\r\nFall.\r\n\r\n";
    return records;
}

Text text_left(const Text& text, int n) { return text.substr(0, n < 0 ? 0 : static_cast<std::size_t>(n)); }

Text text_mid(const Text& text, int start, int n) {
    const std::size_t first = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    return first >= text.size() ? Text() : text.substr(first, n < 0 ? 0 : static_cast<std::size_t>(n));
}

Text text_remove_all(const Text& text, const Text& pattern, bool ignore_case) {
    if (pattern.empty()) return text;
    // Folding keeps every length and position: the matches in the folded
    // copy are those of the text.
    const Text haystack = ignore_case ? text_fold_ascii(text) : text;
    const Text sought = ignore_case ? text_fold_ascii(pattern) : pattern;
    Text result;
    std::size_t from = 0;
    for (std::size_t at = haystack.find(sought); at != Text::npos; at = haystack.find(sought, from)) {
        result.append(text, from, at - from);
        from = at + sought.size();
    }
    return result.append(text, from);
}

namespace expect {

static const std::string SEPARATOR(102, '='), CREDIT = "TELVOR - made by the TELVOR developers";

static Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Lines notice(const std::string& name, const std::string& what) {
    return {"File: >>> " + name + " <<< " + what, SEPARATOR};
}

Lines list_view(const std::string& file, const Lines& entries, bool unread) {
    const Lines start = Lines{CREDIT, SEPARATOR} + notice(file, "reading...") + entries;
    return unread ? start + notice(file, "Not reading...") : start + Lines{SEPARATOR} + notice(file, "reading complete...");
}

Lines event_view(const std::string& name, const Lines& body, bool closed, const Lines& summary) {
    return Lines{CREDIT, SEPARATOR} + notice(name, "writing...") + body +
           (closed ? Lines{SEPARATOR} + notice(name, "new created...") : Lines{}) +
           (summary.empty() ? Lines{} : summary + Lines{SEPARATOR});
}

std::string events_line(int added, int filtered, int repeated) {
    return "Events: >>> " + std::to_string(added) + " added <<< " + std::to_string(filtered) + " filtered, " +
           std::to_string(repeated) + " repeated...";
}

}  // namespace expect

Text text_replace_all(const Text& text, const Text& pattern, const Text& replacement) {
    if (pattern.empty()) return text;
    Text result;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(pattern, from)) != Text::npos; from = at + pattern.size())
        result.append(text, from, at - from).append(replacement);
    return result.append(text, from, Text::npos);
}
