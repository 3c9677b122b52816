// Reading TELVOR.filter and TELVOR.service: the entries, their order, the views' lines.
#include <gtest/gtest.h>

#include <map>

#include "steps/lists.h"
#include "steps/run_state.h"
#include "steps/views.h"
#include "support/scripted_window.h"
#include "support/test_support.h"

namespace {

using Lines = std::vector<Text>;
using namespace std::string_literals;
using expect::list_view;

struct Read {  // the views, the lists and the Last shown text
    ScriptedWindow window;
    Lines filter, service;
    Text last_shown;
};

// Reads the list files given in a fresh Program directory into the views of a fresh window.
Read read_lists(const std::map<std::string, std::string>& files) {
    ScratchDir dir;
    for (const auto& [name, bytes] : files) write_bytes(dir.file(name), bytes);
    Read read;
    window_services_install(&read.window);
    main_window_open();
    views_create();
    RunState run;
    run_set_program_directory(run, Path{dir.path()});
    read.filter = read_filter_file(run, read.last_shown);
    read.service = read_service_file(run, read.last_shown);
    window_services_install(nullptr);
    return read;
}

// Filter entries: three characters or more without trailing blanks. Service entries: the list
// descending, the view ascending. Long files keep every entry; the Filter view shows the first
// line equal to the last term, case ignored.
TEST(Lists, EntriesViewsAndEncodings) {
    Read r = read_lists({{"TELVOR.filter", "AB\r\nABC\rAB \r\n  AB\0ab\t\n\r\n   \nTatort"s}});
    const Lines stored = {"ABC", "  AB", "ab\t", "Tatort"};
    EXPECT_EQ(r.filter, stored);
    EXPECT_EQ(r.window.lines_of(0), list_view("TELVOR.filter", stored));
    EXPECT_EQ(r.window.lines_of(2), list_view("TELVOR.service", {}, true));
    EXPECT_EQ(r.last_shown, "Tatort");  // a missing Service file leaves it
    r = read_lists({{"TELVOR.service", "zdf\r\nArte\r\nard\r\n"}});  // case ignored
    EXPECT_EQ(r.service, (Lines{"zdf ", "Arte ", "ard "}));
    EXPECT_EQ(r.window.lines_of(2), list_view("TELVOR.service", {"ard ", "Arte ", "zdf "}));
    std::string filter, service;
    for (int i = 0; i < 10005; ++i) {
        filter += "Term " + std::to_string(i) + "\r\n";
        service += "channel" + std::to_string(i) + "\r\n";
    }
    r = read_lists({{"TELVOR.filter", filter + "term 20\r\n"}, {"TELVOR.service", service}});
    EXPECT_EQ(r.filter.size(), 10006u);
    EXPECT_EQ(r.service.size(), 10005u);
    const ScriptedList& list = r.window.lists.at(0);
    ASSERT_EQ(list.lines[24], "Term 20");
    EXPECT_EQ(list.top, 24 - list.visible_rows() + 1);
    EXPECT_EQ(list.selection, -1);
    // UTF-8 files, with or without a byte order mark, read as their Windows-1252 form.
    for (const std::string& bytes : {"\xC4rger\r\n\xE4" "b\r\n"s, "\xEF\xBB\xBF\xC3\x84rger\r\n\xC3\xA4" "b\r\n"s}) {
        r = read_lists({{"TELVOR.filter", bytes}});
        EXPECT_EQ(r.filter, (Lines{"\xC4rger"}));
    }
    // Entries Windows-1252 cannot hold are left out (a "?" would match other titles), each named in its view.
    const std::string left_out = " <<< left out, not Windows-1252...";
    r = read_lists({{"TELVOR.service", "\xEF\xBB\xBFZDF\r\n\xC5\x81\xC3\xB3" "d\xC5\xBA TV\r\nARD\r\n"},
                         {"TELVOR.filter", "\xD0\xA8\xD0\xBE\xD1\x83\r\nS\xC3\xBC" "d\r\n\xD0\xA8\xD0\xBE\r\n"}});
    EXPECT_EQ(r.service, (Lines{"ZDF ", "ARD "}));
    EXPECT_EQ(r.window.lines_of(2), list_view("TELVOR.service", {"ARD ", "ZDF ", "Line 2: >>> ?\xF3" "d? TV" + left_out}));
    EXPECT_EQ(r.filter, (Lines{"S\xFC" "d"}));
    EXPECT_EQ(r.window.lines_of(0), list_view("TELVOR.filter", {"S\xFC" "d", "Line 1: >>> ???" + left_out}));
    // One byte that is no UTF-8 makes the whole file Windows-1252, even after a UTF-8 line.
    r = read_lists({{"TELVOR.filter", "\xC3\x84rger\r\nS\xFC" "d\r\n"}});
    EXPECT_EQ(r.filter, (Lines{"\xC3\x84rger", "S\xFC" "d"}));
}

}  // namespace
