// Reading TELVOR.filter and TELVOR.service: which lines become entries, the
// order of the Service list and of its view, and the views' lines.
#include <gtest/gtest.h>

#include <map>

#include "app/run_state.h"
#include "runtime/scripted_window.h"
#include "support/test_support.h"

namespace {

using Lines = std::vector<Text>;
using namespace std::string_literals;

// Runs with the given files up to the open-file dialog, which is cancelled.
ScriptedWindow read_lists(const std::map<std::string, std::string>& files) {
    ScratchDir dir;
    for (const auto& [name, bytes] : files) write_bytes(dir.file(name), bytes);
    ScriptedWindow window;
    run_in_folder(dir.path(), window);
    return window;
}

// A view's lines: start, entries and closing lines, or those of a missing file.
Lines view(const Text& file, const Lines& entries, bool missing = false) {
    const Text separator(102, '='), head = "File: >>> " + file + " <<< ";
    Lines lines = {"TELVOR - made by the TELVOR developers", separator, head + "reading...", separator};
    lines.insert(lines.end(), entries.begin(), entries.end());
    const Lines closing = missing ? Lines{head + "Not reading...", separator}
                                  : Lines{separator, head + "reading complete...", separator};
    lines.insert(lines.end(), closing.begin(), closing.end());
    return lines;
}

Lines entries(const Lines& list, int count) { return Lines(list.begin(), list.begin() + count); }

TEST(Lists, FilterEntriesHaveThreeCharactersAfterTrailingBlanksGoAnyLineEnd) {
    const auto window = read_lists({{"TELVOR.filter", "AB\r\nABC\rAB \r\n  AB\0ab\t\n\r\n   \nTatort"s}});
    const Lines stored = {"ABC", "  AB", "ab\t", "Tatort"};
    EXPECT_EQ(entries(run.filter_list, run.filter_count), stored);
    EXPECT_EQ(window.lines_of(0), view("TELVOR.filter", stored));
    EXPECT_EQ(window.lines_of(2), view("TELVOR.service", {}, true));
    EXPECT_EQ(run.last_shown_text, "Tatort");  // a missing Service file leaves it
}

TEST(Lists, ServiceViewAscendingListDescendingEachWithItsBlank) {
    const ScriptedWindow window = read_lists({{"TELVOR.service", "zdf\r\nARD\r\nArte\r\n"}});
    EXPECT_EQ(entries(run.service_list, run.service_count), (Lines{"zdf ", "Arte ", "ARD "}));
    EXPECT_EQ(window.lines_of(2), view("TELVOR.service", {"ARD ", "Arte ", "zdf "}));
    EXPECT_EQ(window.lines_of(0), view("TELVOR.filter", {}, true));
    EXPECT_EQ(run.filter_count, 0);
}

TEST(Lists, FilterViewScrollsToTheFirstLineEqualToTheLastTermIgnoringCase) {
    std::string file;
    for (int i = 0; i < 30; ++i) file += "Term " + std::to_string(i) + "\r\n";
    const ScriptedList list = read_lists({{"TELVOR.filter", file + "term 20\r\n"}}).lists.at(0);
    ASSERT_EQ(list.lines[24], "Term 20");
    EXPECT_EQ(list.top, 24 - list.visible_rows() + 1);
    EXPECT_EQ(list.selection, -1);
}

TEST(Lists, LongFilesKeepEveryEntry) {
    std::string filter, service;
    for (int i = 0; i < 10005; ++i) {
        filter += "term" + std::to_string(i) + "\r\n";
        service += "channel" + std::to_string(i) + "\r\n";
    }
    const ScriptedWindow window = read_lists({{"TELVOR.filter", filter}, {"TELVOR.service", service}});
    EXPECT_EQ(run.filter_count, 10005);
    EXPECT_EQ(run.filter_list[10004], "term10004");
    EXPECT_EQ(run.service_count, 10005);
    EXPECT_EQ(window.lines_of(2).size(), 10005u + 7u);
}

}  // namespace
