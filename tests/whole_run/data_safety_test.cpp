// Whole runs that must leave the user's files alone: TELVOR's own files named
// as the Event file, and a clipboard whose text was not taken.
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

// The clipboard loses only Guide text this run stored and converted, and
// only while it still holds it: after Yes and No, text without a Guide
// block stays, a text copied while the question is open stays (the Guide
// text read before is stored), and a clipboard whose owner never hands its
// text over is a failed step, shown before the question, with nothing
// stored and the clipboard left alone.
TEST(DataSafety, ClipboardKeepsWhatWasNotTaken) {
    const std::string new_event = "05.12.2009 08:15 ";
    for (const int answer : {ANSWER_YES, ANSWER_NO}) {
        for (const std::string kind : {"guide", "no guide block", "later copy", "silent"}) {
            SCOPED_TRACE(kind + " " + std::to_string(answer));
            ScratchDir dir;
            write_bytes(dir.file("epg.telvor"), OLD_FILE);
            ScriptedWindow window;
            window.answer = answer;
            const std::string copied =
                kind == "no guide block" ? "Liebe Gr\xFC\xDF" "e,\r\nbis Samstag. 5.12. um 8:15\r\n" : GUIDE;
            window.clipboard_has_text = true;
            window.clipboard = copied;
            if (kind == "later copy") window.later_copy = "Notiz";
            window.clipboard_silent = kind == "silent";
            const int status = run_in_folder(dir.path(), window, {"epg.telvor"});

            EXPECT_EQ(window.clipboard_cleared, kind == "guide");
            EXPECT_EQ(window.clipboard, kind == "guide" ? "" : kind == "later copy" ? "Notiz" : copied);
            const bool stored = read_bytes(dir.file("epg.telvor")).find(new_event) != std::string::npos;
            EXPECT_EQ(stored, kind == "guide" || kind == "later copy");
            EXPECT_EQ(status, kind == "silent" ? EXIT_STEP_FAILED : EXIT_DONE);
            const std::vector<Text> box = {"TELVOR could not complete these steps:\ncannot read the clipboard: " +
                                           std::string(CLIPBOARD_SILENT)};
            EXPECT_EQ(window.messages, kind == "silent" ? box : std::vector<Text>{});
        }
    }
}

}  // namespace
