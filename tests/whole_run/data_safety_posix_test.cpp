// Whole runs on POSIX systems that must leave the user's files alone:
// another run holding the folder or the Event file, and names outside
// Windows-1252 beside decoys whose names show the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/run_state.h"
#include "run/views.h"
#include "runtime/file.h"
#include "support/lock_holder_posix.h"
#include "support/test_support.h"
#include "whole_run/data_safety.h"

namespace {

namespace fs = std::filesystem;
using namespace expect;
using namespace safety;

// Another run in the Program directory, or on the Event file's folder: the
// second run changes nothing, keeps the clipboard, says so once and ends
// with its own status.
TEST(DataSafety, AnotherRunHoldsTheFolderOrTheEventFile) {
    ScratchDir program, elsewhere;
    write_bytes(program.file("TELVOR.filter"), "Tagesschau\r\n");
    write_bytes(program.file("epg.telvor"), OLD_FILE);
    write_bytes(elsewhere.file("epg.telvor"), OLD_FILE);
    const auto before = snapshot(program.path()), before_elsewhere = snapshot(elsewhere.path());
    {
        LockHolder other(program.path());
        ASSERT_TRUE(other.held());
        Outcome run = telvor(program.path(), {"epg.telvor"});
        EXPECT_EQ(run.status, EXIT_BUSY);
        ASSERT_EQ(run.window.messages.size(), 1u);
        EXPECT_TRUE(run.window.messages[0].starts_with("TELVOR is already running in this folder:\n"));
        EXPECT_EQ(run.window.questions_asked + run.window.clipboard_reads, 0);
        EXPECT_FALSE(run.window.window_is_open);
        EXPECT_EQ(snapshot(program.path()), before);
    }
    {
        LockHolder other(elsewhere.path());
        Outcome run = telvor(program.path(), {elsewhere.file("epg.telvor")});
        EXPECT_EQ(run.status, EXIT_BUSY);
        ASSERT_EQ(run.window.messages.size(), 1u);
        EXPECT_EQ(run.window.messages[0],
                  "TELVOR is already running on this Event file:\n" + elsewhere.file("epg.telvor"));
        EXPECT_EQ(run.window.questions_asked + run.window.clipboard_reads, 0);
        EXPECT_EQ(run.window.lines_of(EVENT_VIEW), Lines{});
        EXPECT_EQ(snapshot(program.path()), before);
        EXPECT_EQ(snapshot(elsewhere.path()), before_elsewhere);
    }
    // Once the other run has ended, the same run goes through.
    Outcome run = telvor(program.path(), {elsewhere.file("epg.telvor")});
    EXPECT_EQ(run.status, EXIT_DONE);
    EXPECT_TRUE(run.window.clipboard_cleared);
}

// Names Windows-1252 cannot hold are used exactly as given: the decoy whose
// name shows the same is never touched, and views and the header show "?".
TEST(DataSafety, NamesOutsideWindows1252AreUsedAsGiven) {
    ScratchDir dir;
    const std::string root = fs::canonical(dir.path()).string() + "/";
    const std::string lodz = root + "\xC5\x81\xC3\xB3\x64\xC5\xBA/", decoy = root + "?\xC3\xB3\x64?/";
    for (const std::string& folder : {lodz, decoy}) {
        fs::create_directory(folder);
        write_bytes(folder + "TELVOR.filter", folder == lodz ? "Neu\r\n" : "Alt\r\n");
        for (const char* name : {"epg.telvor", "ev?.telvor", "ev\xE4.telvor", "\xF0\x9F\x98\x80.telvor"})
            write_bytes(folder + name, OLD_FILE);
    }
    const auto decoys = snapshot(decoy);
    // The Program directory is Łódź: its filter drops the new event.
    Outcome run = telvor(lodz, {"epg.telvor"}, "", ANSWER_NO);
    EXPECT_EQ(run.status, EXIT_DONE);
    EXPECT_EQ(run.window.lines_of(FILTER_VIEW)[4], "Neu");
    EXPECT_EQ(read_bytes(lodz + "epg.telvor"), OLD_FILE);
    for (const std::string name : {"ev\xE4.telvor", "\xF0\x9F\x98\x80.telvor"}) {
        run = telvor(lodz, {name}, "", ANSWER_YES, "Sa. 5.12.2009\tMehr\r\n8:15\t30 min.\tX\r\n8:45\tY\r\n");
        EXPECT_EQ(run.status, EXIT_DONE);
        EXPECT_EQ(read_bytes(lodz + name),
                  OLD_FILE + "05.12.2009 08:15 + Mehr\r\nGenre: X\r\nY\r\n\r\n");
        const std::string shown = name[0] == 'e' ? "ev?.telvor" : "?.telvor";
        EXPECT_EQ(run.window.lines_of(EVENT_VIEW)[2], "File: >>> " + shown + " <<< writing...");
    }
    EXPECT_EQ(read_bytes(lodz + "ev?.telvor"), OLD_FILE);
    // Picked in the dialog: a new Łódź.telvor, its header naming it with "?".
    run = telvor(lodz, {}, lodz + "\xC5\x81\xC3\xB3\x64\xC5\xBA");
    EXPECT_EQ(run.status, EXIT_DONE);
    const std::string created = read_bytes(lodz + "\xC5\x81\xC3\xB3\x64\xC5\xBA.telvor");
    const std::string shown_root = path_display(Path{root});
    EXPECT_NE(created.find(" -- >>> " + text_upper(shown_root) + "?\xD3" "D?/?\xD3" "D?.TELVOR <<< -- File"),
              std::string::npos)
        << created;
    EXPECT_EQ(snapshot(decoy), decoys);
}

}  // namespace
