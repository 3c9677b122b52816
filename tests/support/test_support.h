// Helpers of the test programs: scratch folders, file bytes, random cases,
// whole runs, the lines the three views are expected to show, and the plain
// text primitives the fast passes are checked against. All but the whole run and the
// conversion on its own need the base library alone (test_support.cpp); the
// conversion on its own (test_conversion.cpp) is built only into the
// programs that link the steps, the whole run (test_run.cpp) only into
// those that link the whole program.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "base/path.h"
#include "base/text.h"

// A fresh empty folder, removed with all in it at the end of its scope;
// path() ends in the directory separator.
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
// Records not marked yet ("04.12.2009 20:15   Folge N", CR LF), which the
// conversion keeps as they are, until they are more than size bytes.
std::string records_past(std::size_t size);

// Random cases: one generator per test program, seeded the same every run.
inline std::mt19937 random_cases;
inline int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_cases); }
template <typename T> const auto& any_of(const T& v) {
    return v[static_cast<std::size_t>(pick(0, static_cast<int>(v.size()) - 1))];
}

// Plain text primitives, positions 1-based: cutting beyond either end gives
// a shorter or empty piece; remove-all is left to right, non-overlapping,
// letter case of A-Z ignored where asked.
Text text_left(const Text& text, int n);
Text text_mid(const Text& text, int start, int n);
Text text_remove_all(const Text& text, const Text& pattern, bool ignore_case);

class ScriptedWindow;
// One whole run with folder as the Program directory: its exit status.
int run_in_folder(const std::string& folder, ScriptedWindow& window,
                  const std::vector<std::string>& arguments = {});

// What the conversion step did, run on its own in a folder on an Event file
// of given bytes: the Event file afterwards, the Event view, the Last shown
// text, the run's summary and exit status.
struct Converted {
    std::string event_file;
    std::vector<Text> view, summary;
    Text last_shown;
    int status = 0;
    bool operator==(const Converted&) const = default;
};
// The conversion as a run makes it: the Event file's lines, then those of
// the Guide text (after Capture normalisation with the service list) in
// one pass.
Converted convert_in_one_pass(const std::string& folder, const std::string& event_file, const Text& clipboard,
                              const std::vector<Text>& filter_list, const std::vector<Text>& service_list);
// The reference it stands for: the capture as a step of its own, which put
// every line of the Event file (trimmed, ended by CR LF) and the Guide text
// (trimmed at its end, ended by CR LF) in a working file and that in place
// of the Event file, then the conversion of the whole Event file.
Converted convert_in_two_steps(const std::string& folder, const std::string& event_file, const Text& clipboard,
                               const std::vector<Text>& filter_list, const std::vector<Text>& service_list);
// The Marking pass on its own, in the same way.
Converted mark_on_its_own(const std::string& folder, const std::string& event_file);

namespace expect {  // the lines the views are expected to show

using Lines = std::vector<std::string>;
Lines operator+(Lines a, const Lines& b);
Lines notice(const std::string& name, const std::string& what);  // "File: >>> name <<< what", Separator
// The Filter or Service view; unread: the lines of a list file that could not be read.
Lines list_view(const std::string& file, const Lines& entries, bool unread = false);
// The Event view: head lines, body, the closing lines if closed, then the
// summary lines (if any) and a Separator line.
Lines event_view(const std::string& name, const Lines& body, bool closed = true, const Lines& summary = {});
// The summary line of a conversion.
std::string events_line(int added, int filtered, int repeated);

}  // namespace expect
