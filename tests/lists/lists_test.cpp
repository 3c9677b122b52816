// Reading TELVOR.filter and TELVOR.service: which lines become entries, the
// order of the Service list and of its view, and the views' lines.
#include <gtest/gtest.h>

#include "app/run_state.h"
#include "runtime/scripted_window.h"
#include "support/test_support.h"

namespace {

const std::string SEPARATOR(102, '=');
const std::string CREDIT = "TELVOR - made by the TELVOR developers";

// Runs up to the open-file dialog, which is cancelled: only the lists are read.
ScriptedWindow read_lists(const ScratchDir& dir) {
    ScriptedWindow window;
    window.chosen_path = "";
    run_in_folder(dir.path(), window);
    return window;
}

std::vector<Text> entries(const std::vector<Text>& list, int count) {
    return std::vector<Text>(list.begin(), list.begin() + count);
}

std::vector<Text> view_between_start_and_closing(const std::vector<Text>& lines) {
    // Four start lines before, three closing lines after.
    if (lines.size() < 7) return {};
    return std::vector<Text>(lines.begin() + 4, lines.end() - 3);
}

TEST(FilterFile, KeepsLinesOfThreeCharactersOrMoreAfterTrailingBlanksGo) {
    ScratchDir dir;
    write_bytes(dir.file("TELVOR.filter"), "AB\r\nABC\r\nAB \r\n  AB\r\nab\t\n\r\n   \nTatort\n");
    ScriptedWindow window = read_lists(dir);

    const std::vector<Text> stored = {"ABC", "  AB", "ab\t", "Tatort"};
    EXPECT_EQ(run.filter_count, 4);
    EXPECT_EQ(entries(run.filter_list, run.filter_count), stored);
    const std::vector<Text> view = {CREDIT,       SEPARATOR, "File: >>> TELVOR.filter <<< reading...",
                                    SEPARATOR,    "ABC",     "  AB",
                                    "ab\t",       "Tatort",  SEPARATOR,
                                    "File: >>> TELVOR.filter <<< reading complete...", SEPARATOR};
    EXPECT_EQ(window.lines_of(0), view);
    EXPECT_EQ(window.lists[0].selection, -1);
}

TEST(FilterFile, MissingOrEmptyFileGivesNoTermsAndNoScrolling) {
    ScratchDir missing;
    ScriptedWindow window = read_lists(missing);
    const std::vector<Text> view = {CREDIT, SEPARATOR, "File: >>> TELVOR.filter <<< reading...",
                                    SEPARATOR, "File: >>> TELVOR.filter <<< Not reading...",
                                    SEPARATOR};
    EXPECT_EQ(window.lines_of(0), view);
    EXPECT_EQ(run.filter_count, 0);
    EXPECT_EQ(window.lists[0].top, 0);

    ScratchDir empty_lines;
    write_bytes(empty_lines.file("TELVOR.filter"), "\r\n\r\n  \r\n");
    window = read_lists(empty_lines);
    EXPECT_EQ(run.filter_count, 0);
    EXPECT_EQ(window.lines_of(0).size(), 7u);
    EXPECT_EQ(window.lines_of(0)[5], "File: >>> TELVOR.filter <<< reading complete...");
}

TEST(FilterFile, LineEndsOfEveryKindAndZeroBytesSplitEntriesAlike) {
    ScratchDir crlf, lf, mixed;
    write_bytes(crlf.file("TELVOR.filter"), "heute\r\nWetter\r\nSport");
    write_bytes(lf.file("TELVOR.filter"), "heute\nWetter\nSport\n");
    write_bytes(mixed.file("TELVOR.filter"), std::string("heute\rWetter\0Sport\r", 19));
    for (const ScratchDir* dir : {&crlf, &lf, &mixed}) {
        read_lists(*dir);
        EXPECT_EQ(entries(run.filter_list, run.filter_count),
                  (std::vector<Text>{"heute", "Wetter", "Sport"}));
    }
}

TEST(FilterFile, ScrollsToTheFirstLineEqualToTheLastTermIgnoringCase) {
    ScratchDir dir;
    std::string file;
    for (int i = 0; i < 30; ++i) file += "Term " + std::to_string(i) + "\r\n";
    file += "term 20\r\n";  // equals line "Term 20" but for case
    write_bytes(dir.file("TELVOR.filter"), file);
    ScriptedWindow window = read_lists(dir);

    const ScriptedList& view = window.lists[0];
    const int earlier = 4 + 20;  // four start lines, then the terms
    EXPECT_EQ(view.lines[earlier], "Term 20");
    EXPECT_EQ(view.selection, -1);
    EXPECT_LE(view.top, earlier);
    EXPECT_GT(view.top + view.visible_rows(), earlier);
    EXPECT_EQ(view.top, earlier - view.visible_rows() + 1);
}

TEST(ServiceFile, ViewAscendingListDescendingEachWithItsBlank) {
    ScratchDir dir;
    write_bytes(dir.file("TELVOR.service"), "zdf\r\nARD\r\nArte\r\n");
    ScriptedWindow window = read_lists(dir);

    EXPECT_EQ(run.service_count, 3);
    EXPECT_EQ(entries(run.service_list, 3), (std::vector<Text>{"zdf ", "Arte ", "ARD "}));
    const std::vector<Text> view = {CREDIT,    SEPARATOR, "File: >>> TELVOR.service <<< reading...",
                                    SEPARATOR, "ARD ",    "Arte ",
                                    "zdf ",    SEPARATOR, "File: >>> TELVOR.service <<< reading complete...",
                                    SEPARATOR};
    EXPECT_EQ(window.lines_of(2), view);
    EXPECT_EQ(run.last_shown_text, "zdf ");
    EXPECT_EQ(window.lists[2].selection, -1);
}

TEST(ServiceFile, LongerNamesComeBeforeTheNamesTheyBeginWith) {
    ScratchDir dir;
    write_bytes(dir.file("TELVOR.service"), sample_bytes("TELVOR.service"));
    ScriptedWindow window = read_lists(dir);
    EXPECT_EQ(entries(run.service_list, run.service_count),
              (std::vector<Text>{"ZDF HD ", "ZDF ", "Das Erste HD ", "Das Erste ", "arte ", "3sat "}));
    EXPECT_EQ(view_between_start_and_closing(window.lines_of(2)),
              (std::vector<Text>{"3sat ", "arte ", "Das Erste ", "Das Erste HD ", "ZDF ", "ZDF HD "}));
}

TEST(ServiceFile, MissingFileLeavesTheLastShownTextOfTheFilterFile) {
    ScratchDir dir;
    write_bytes(dir.file("TELVOR.filter"), "Tagesschau\r\n");
    ScriptedWindow window = read_lists(dir);
    EXPECT_EQ(run.service_count, 0);
    EXPECT_EQ(run.last_shown_text, "Tagesschau");
    const std::vector<Text> view = {CREDIT, SEPARATOR, "File: >>> TELVOR.service <<< reading...",
                                    SEPARATOR, "File: >>> TELVOR.service <<< Not reading...",
                                    SEPARATOR};
    EXPECT_EQ(window.lines_of(2), view);
}

TEST(ServiceFile, EmptyServiceFileEmptiesTheLastShownText) {
    ScratchDir dir;
    write_bytes(dir.file("TELVOR.filter"), "Tagesschau\r\n");
    write_bytes(dir.file("TELVOR.service"), "");
    read_lists(dir);
    EXPECT_EQ(run.service_count, 0);
    EXPECT_EQ(run.last_shown_text, "");
}

TEST(Lists, KeepEveryEntryOfLongFiles) {
    ScratchDir dir;
    std::string filter, service;
    for (int i = 0; i < 10500; ++i) {
        filter += "term" + std::to_string(i) + "\r\n";
        service += "channel" + std::to_string(i) + "\r\n";
    }
    write_bytes(dir.file("TELVOR.filter"), filter);
    write_bytes(dir.file("TELVOR.service"), service);
    ScriptedWindow window = read_lists(dir);
    EXPECT_EQ(run.filter_count, 10500);
    EXPECT_EQ(run.filter_list[10499], "term10499");
    EXPECT_EQ(run.service_count, 10500);
    EXPECT_EQ(window.lines_of(0).size(), 10500u + 7u);
    EXPECT_EQ(window.lines_of(2).size(), 10500u + 7u);
}

}  // namespace
