// Helpers of the test programs (test_support.cpp, base library only); the conversion on its own
// (test_conversion.cpp) and the whole run (test_run.cpp).
#pragma once

#include <random>
#include <string>
#include <vector>

#include "base/path.h"
#include "base/text.h"

// A fresh empty folder, removed with all in it at the end of its scope; path() ends in a separator.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

std::string read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::string& bytes);
bool file_exists_on_disk(const std::string& path);
long folder_entries(const std::string& folder);
std::string sample_bytes(const std::string& name);  // a file of tests/data, as bytes
// Unmarked records, which the conversion keeps as they are, past size bytes.
std::string records_past(std::size_t size);

// Random cases: one generator per test program, seeded the same every run.
inline std::mt19937 random_cases;
inline int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_cases); }
template <typename T> const auto& any_of(const T& v) {
    return v[static_cast<std::size_t>(pick(0, static_cast<int>(v.size()) - 1))];
}

// Plain text primitives, positions 1-based, cuts beyond either end shorter;
// remove-all left to right, non-overlapping, A-Z case ignored where asked.
Text text_left(const Text& text, int n);
Text text_mid(const Text& text, int start, int n);
Text text_remove_all(const Text& text, const Text& pattern, bool ignore_case);
// Left-to-right, non-overlapping, case-sensitive; replacements are not rescanned.
Text text_replace_all(const Text& text, const Text& pattern, const Text& replacement);

class ScriptedWindow;
// One whole run with folder as the Program directory: its exit status.
int run_in_folder(const std::string& folder, ScriptedWindow& window,
                  const std::vector<std::string>& arguments = {});

// The conversion step on its own in folder on an Event file of these bytes: in one pass as a run
// makes it; as the capture and the conversion, each replacing the Event file; or Marking alone.
enum class ConversionWay { one_pass, two_steps, marking };
struct Converted {  // the Event file afterwards, the Event view, Last shown, summary, exit status
    std::string event_file;
    std::vector<Text> view, summary;
    Text last_shown;
    int status = 0;
    bool operator==(const Converted&) const = default;
};
Converted convert(ConversionWay way, const std::string& folder, const std::string& event_file,
                  const Text& clipboard = "", const std::vector<Text>& filter_list = {},
                  const std::vector<Text>& service_list = {});

namespace expect {  // the lines the views are expected to show

using Lines = std::vector<std::string>;
Lines notice(const std::string& name, const std::string& what);  // "File: >>> name <<< what", Separator
// The Filter or Service view; unread: the lines of a list file that could not be read.
Lines list_view(const std::string& file, const Lines& entries, bool unread = false);
// The Event view: head lines, body, closing lines if closed, summary lines and a Separator if any.
Lines event_view(const std::string& name, const Lines& body, bool closed = true, const Lines& summary = {});
std::string events_line(int added, int filtered, int repeated);

}  // namespace expect
