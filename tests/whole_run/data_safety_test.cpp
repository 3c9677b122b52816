// Whole runs that must leave the user's files alone: TELVOR's own files named
// as the Event file, leftovers of killed runs, and a clipboard whose text
// held no Guide block.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/run_state.h"
#include "run/views.h"
#include "runtime/file.h"
#include "support/test_support.h"
#include "whole_run/data_safety.h"

namespace {

namespace fs = std::filesystem;
using namespace expect;
using namespace safety;

// The lists and the working files are never taken for the Event file, under
// whatever name they are reached: nothing is read into them, written or
// created, and both steps say "Not reading...".
TEST(DataSafety, TelvorsOwnFilesAreNoEventFiles) {
    struct Case {
        std::string what;
        std::vector<std::string> arguments;
        std::string chosen;
        std::string shown;
    };
    ScratchDir dir;
    const std::string folder = fs::canonical(dir.path()).string() + "/";
    for (const Case& c : std::vector<Case>{
             {"filter named", {"TELVOR.filter"}, "", "TELVOR.filter"},
#ifndef _WIN32
             {"service by a link", {"service-link.telvor"}, "", "service-link.telvor"},
#endif
             {"filter by a hard link", {"filter-copy.telvor"}, "", "filter-copy.telvor"},
             {"leftover working file", {"TELVOR.DAT"}, "", "TELVOR.DAT"},
             {"filter picked in the dialog", {}, folder + "TELVOR.filter", folder + "TELVOR.filter"}}) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
        write_bytes(folder + "TELVOR.filter", "Tagesschau\r\nheute\r\n");
        write_bytes(folder + "TELVOR.service", "Das Erste\r\n");
        write_bytes(folder + "TELVOR.DAT", OLD_FILE);
#ifndef _WIN32
        fs::create_symlink("TELVOR.service", folder + "service-link.telvor");
#endif
        fs::create_hard_link(folder + "TELVOR.filter", folder + "filter-copy.telvor");
        const auto before = snapshot(folder);
        Outcome run = telvor(folder, c.arguments, c.chosen, ANSWER_NO);
        EXPECT_EQ(snapshot(folder), before);
        EXPECT_EQ(run.status, EXIT_STEP_FAILED);
        EXPECT_FALSE(run.window.clipboard_cleared);
        const Lines refused = notice(c.shown, "Not reading...");
        EXPECT_EQ(run.window.lines_of(EVENT_VIEW), event_view(c.shown, refused + refused, false));
    }
}

// A killed replacement's temporary copy beside the Event file goes; copies
// of other files and other names stay.
TEST(DataSafety, LeftoverCopiesOfTheEventFileAreCleared) {
    ScratchDir dir;
    write_bytes(dir.file("epg.telvor"), OLD_FILE);
    for (const char* name : {"epg.telvor.telvor-tmp-Ab12Cd", "other.telvor.telvor-tmp-Ab12Cd",
                             "epg.telvor.telvor-tmp-Ab12"})
        write_bytes(dir.file(name), OLD_FILE);
    Outcome run = telvor(dir.path(), {"epg.telvor"}, "", ANSWER_NO);
    EXPECT_EQ(run.status, EXIT_DONE);
    EXPECT_FALSE(file_exists_on_disk(dir.file("epg.telvor.telvor-tmp-Ab12Cd")));
    EXPECT_TRUE(file_exists_on_disk(dir.file("other.telvor.telvor-tmp-Ab12Cd")));
    EXPECT_TRUE(file_exists_on_disk(dir.file("epg.telvor.telvor-tmp-Ab12")));
}

// Text that holds no Guide block was not used: the clipboard keeps it, also
// after Yes and No. Guide text is dropped from it once converted.
TEST(DataSafety, ClipboardIsEmptiedOnlyWhenGuideTextWasTaken) {
    for (const int answer : {ANSWER_YES, ANSWER_NO}) {
        for (const bool guide : {false, true}) {
            ScratchDir dir;
            write_bytes(dir.file("epg.telvor"), OLD_FILE);
            Outcome run = telvor(dir.path(), {"epg.telvor"}, "", answer,
                             guide ? GUIDE : "Liebe Grüße,\r\nbis Samstag. 5.12. um 8:15\r\n");
            EXPECT_EQ(run.status, EXIT_DONE);
            EXPECT_EQ(run.window.clipboard_cleared, guide) << answer;
        }
    }
}

}  // namespace
