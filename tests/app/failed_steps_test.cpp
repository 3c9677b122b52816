// Whole runs in which a step cannot read or replace the Event file, and the
// run without a window: the Event file keeps its content, the Event view
// says which step failed, and the clipboard keeps a Guide text not stored.
#include <gtest/gtest.h>

#include <filesystem>

#include "whole_run.h"

using namespace whole_run;
namespace fs = std::filesystem;

namespace {

const Lines OLD_LINES = {"05.12.2009 08:15 + News", "06.12.2009 20:15   Krimi"};
const std::string OLD_FILE = crlf(record(OLD_LINES[0], "Genre: Info", "Text") +
                                  record(OLD_LINES[1], "Genre: Film", "Spannend"));
const std::string GUIDE = "So. 7.12.2009\tNeu\r\n9:00\t5 min.\tX\r\n9:05\tY\r\n";
// The Event file once the capture has appended the Guide text.
const std::string OLD_FILE_WITH_GUIDE =
    OLD_FILE + "So.07.12.2009 Neu\r\n9:00 5 min. X\r\n9:05 Y\r\n\r\n";
const std::string VICTIM = "not to be touched\n";

// Makes a working file impossible to create: a folder or a symbolic link to
// another file under its name.
void block(const Folder& folder, const std::string& name, bool with_link) {
    if (with_link) {
        write_bytes(folder.file("victim.txt"), VICTIM);
        fs::create_symlink(folder.file("victim.txt"), folder.file(name));
    } else {
        fs::create_directory(folder.file(name));
    }
}

}  // namespace

// TELVOR.CLP cannot be created: the Guide text is not stored, the clipboard
// keeps it, and the conversion rewrites the Event file as it was.
TEST(FailedSteps, WorkingCopyThatCannotBeCreated) {
    for (const bool with_link : {false, true}) {
        SCOPED_TRACE(with_link ? "symbolic link" : "folder");
        Folder folder;
        block(folder, "TELVOR.CLP", with_link);
        write_bytes(folder.file("epg.telvor"), OLD_FILE);
        ScriptedWindow window;
        script(window, NO, GUIDE);
        run_in_folder(folder.program_dir, window, {"epg.telvor"});

        EXPECT_EQ(read_bytes(folder.file("epg.telvor")), OLD_FILE);
        EXPECT_EQ(window.lines_of(EVENT_VIEW), event_head("epg.telvor") +
                                                   not_writing("epg.telvor") + OLD_LINES +
                                                   event_closing("epg.telvor"));
        EXPECT_FALSE(window.clipboard_cleared);
        EXPECT_EQ(window.clipboard, GUIDE);
        EXPECT_EQ(window.events_waited, 3);
        EXPECT_FALSE(file_exists_on_disk(folder.file("TELVOR.DAT")));
        if (with_link) {
            EXPECT_EQ(read_bytes(folder.file("victim.txt")), VICTIM);
        }
    }
}

// TELVOR.DAT cannot be created: the conversion does not replace the Event
// file, which keeps what the capture gave it. A folder under that name
// stops the Marking pass as well; a link is removed with the failed working
// file, so the Marking pass then writes a working file of its own.
TEST(FailedSteps, DataFileThatCannotBeCreated) {
    for (const bool with_link : {false, true}) {
        for (const int answer : {NO, YES}) {
            SCOPED_TRACE(with_link ? "symbolic link" : "folder");
            SCOPED_TRACE(answer);
            Folder folder;
            block(folder, "TELVOR.DAT", with_link);
            write_bytes(folder.file("epg.telvor"), OLD_FILE);
            ScriptedWindow window;
            script(window, answer, GUIDE);
            run_in_folder(folder.program_dir, window, {"epg.telvor"});

            if (answer == YES && with_link) {
                // The appended Guide lines are no Event records: the Marking pass drops them.
                EXPECT_EQ(read_bytes(folder.file("epg.telvor")),
                          crlf(record(marked(OLD_LINES[0]), "Genre: Info", "Text") +
                               record(marked(OLD_LINES[1]), "Genre: Film", "Spannend")));
                EXPECT_EQ(
                    window.lines_of(EVENT_VIEW),
                    (event_head("epg.telvor") + Lines{marked(OLD_LINES[0]), marked(OLD_LINES[1])} +
                     event_closing("epg.telvor")));
            } else {
                EXPECT_EQ(read_bytes(folder.file("epg.telvor")), OLD_FILE_WITH_GUIDE);
                EXPECT_EQ(window.lines_of(EVENT_VIEW),
                          event_head("epg.telvor") + not_writing("epg.telvor"));
            }
            // The Guide text is stored, so the clipboard is emptied.
            EXPECT_TRUE(window.clipboard_cleared);
            EXPECT_FALSE(file_exists_on_disk(folder.file("TELVOR.CLP")));
            if (with_link) {
                EXPECT_EQ(read_bytes(folder.file("victim.txt")), VICTIM);
            }
        }
    }
}

// A write-protected Event file: every copy over it is refused, and each of
// the three steps says so where its closing lines would stand.
TEST(FailedSteps, EventFileThatCannotBeReplaced) {
    for (const int answer : {NO, YES}) {
        SCOPED_TRACE(answer);
        Folder folder;
        write_bytes(folder.file("epg.telvor"), OLD_FILE);
        fs::permissions(folder.file("epg.telvor"),
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        ScriptedWindow window;
        script(window, answer, GUIDE);
        run_in_folder(folder.program_dir, window, {"epg.telvor"});

        EXPECT_EQ(read_bytes(folder.file("epg.telvor")), OLD_FILE);
        if (answer == YES) {
            EXPECT_EQ(
                window.lines_of(EVENT_VIEW),
                (event_head("epg.telvor") + Lines{marked(OLD_LINES[0]), marked(OLD_LINES[1])} +
                 not_writing("epg.telvor")));
        } else {
            EXPECT_EQ(window.lines_of(EVENT_VIEW), event_head("epg.telvor") +
                                                       not_writing("epg.telvor") + OLD_LINES +
                                                       not_writing("epg.telvor"));
        }
        EXPECT_FALSE(window.clipboard_cleared);
        EXPECT_EQ(window.events_waited, 3);
        EXPECT_EQ(folder.names(), (Lines{"epg.telvor"}));
    }
}

// An Event file that cannot be read (a folder), or is missing while a
// working copy of an interrupted run lies about: nothing is converted,
// the missing file stays missing, and each step says "Not reading...".
TEST(FailedSteps, EventFileThatCannotBeRead) {
    for (const bool missing : {false, true}) {
        for (const int answer : {NO, YES}) {
            SCOPED_TRACE(missing ? "missing" : "folder");
            SCOPED_TRACE(answer);
            Folder folder;
            if (missing)
                write_bytes(folder.file("TELVOR.CLP"), crlf(record(OLD_LINES[0], "G", "D")));
            else
                fs::create_directory(folder.file("epg.telvor"));
            ScriptedWindow window;
            script(window, answer, GUIDE);
            run_in_folder(folder.program_dir, window, {"epg.telvor"});

            const Lines expected = answer == YES
                                       ? event_head("epg.telvor") + not_reading("epg.telvor")
                                       : event_head("epg.telvor") + not_reading("epg.telvor") +
                                             not_reading("epg.telvor");
            EXPECT_EQ(window.lines_of(EVENT_VIEW), expected);
            EXPECT_EQ(window.questions_asked, 1);
            EXPECT_FALSE(window.clipboard_cleared);
            EXPECT_EQ(window.events_waited, 3);
            EXPECT_EQ(folder.names(), (missing ? Lines{} : Lines{"epg.telvor"}));
        }
    }
}

// Without a window the run asks its question at once and ends after it:
// no views, no dialog, the clipboard neither read nor emptied, no wait,
// and the Event file named on the command line is not touched.
TEST(FailedSteps, NoWindow) {
    for (const int answer : {YES, NO}) {
        SCOPED_TRACE(answer);
        Folder folder;
        folder.sample_lists();
        write_bytes(folder.file("epg.telvor"), OLD_FILE);
        ScriptedWindow window;
        script(window, answer, GUIDE);
        window.window_fails = true;
        run_in_folder(folder.program_dir, window, {"epg.telvor"});

        EXPECT_FALSE(window.window_is_open);
        EXPECT_EQ(window.questions_asked, 1);
        EXPECT_EQ(window.question_title, VERSION);
        EXPECT_EQ(window.question_text, QUESTION);
        EXPECT_EQ(window.question_flags, 3);
        EXPECT_EQ(window.dialogs_shown, 0);
        EXPECT_EQ(window.clipboard_reads, 0);
        EXPECT_FALSE(window.clipboard_cleared);
        EXPECT_EQ(window.events_waited, 0);
        EXPECT_TRUE(window.lists.empty());
        EXPECT_TRUE(window.frames.empty());
        EXPECT_EQ(read_bytes(folder.file("epg.telvor")), OLD_FILE);
        EXPECT_EQ(folder.names(), (Lines{"TELVOR.filter", "TELVOR.service", "epg.telvor"}));
    }
}
