// Whole runs that choose the Event file in the open-file dialog: new files
// with their header, existing files, and a cancelled dialog.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "whole_run.h"

using namespace whole_run;

namespace {

const std::string WORKED_GUIDE = "Sa.05.12.2009 News\r\n8:15 30 min. Info\r\n8:45 Text\r\n";
const Lines WORKED_RECORD = record("05.12.2009 08:15   News", "Genre: Info", "Text");

void expect_dialog_inputs(const ScriptedWindow& window, const Folder& folder) {
    EXPECT_EQ(window.dialogs_shown, 1);
    EXPECT_EQ(window.dialog_title, "Bitte Datei zum Laden ausw\344hlen");  // 0xE4: a-umlaut
    EXPECT_EQ(window.dialog_default_path, folder.program_dir + "*.telvor");
    EXPECT_EQ(window.dialog_pattern, "Dateien (*.telvor)|*.telvor");
    EXPECT_EQ(window.dialog_pattern_index, 0);
}

}  // namespace

// A typed name without the extension: "neu.telvor" is created with the
// New-file header, which the same run then carries over like an event.
TEST(EventFileChoice, NewNameGetsExtensionAndHeader) {
    Folder folder;
    ScriptedWindow window;
    script(window, NO, WORKED_GUIDE);
    window.chosen_path = folder.file("neu");
    const std::time_t before = std::time(nullptr);
    run_in_folder(folder.program_dir, window);
    const std::time_t after = std::time(nullptr);

    expect_dialog_inputs(window, folder);
    const std::string path = folder.file("neu.telvor");
    EXPECT_EQ(folder.names(), (Lines{"neu.telvor"}));

    const std::string bytes = read_bytes(path);
    const std::string header_line = bytes.substr(0, bytes.find("\r\n"));
    // Same shape as an Event line: "." at 3, ":" at 14, Mark field " --".
    EXPECT_TRUE(std::regex_match(
        header_line,
        std::regex(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d -- >>> .* <<< -- File new created\.\.\.)")))
        << header_line;
    const std::string tail = ascii_upper(path) + " <<< -- File new created...";
    EXPECT_TRUE(header_line == creation_stamp(before) + tail ||
                header_line == creation_stamp(after) + tail)
        << header_line;
    // The trailing blanks of the header were dropped by the capture.
    EXPECT_EQ(bytes, crlf(record(header_line, "Genre: created...", "Description created...") +
                          WORKED_RECORD));
    EXPECT_EQ(window.lines_of(EVENT_VIEW),
              (event_head(path) + Lines{header_line.substr(0, 130), "05.12.2009 08:15   News"} +
               event_closing(path)));
    EXPECT_TRUE(window.clipboard_cleared);
}

// A typed name that ends in ".telvor" in another letter case is used as it is.
TEST(EventFileChoice, NameWithExtensionInAnyCaseIsKept) {
    Folder folder;
    ScriptedWindow window;
    script(window, CANCEL, "", false);
    window.chosen_path = folder.file("Neu.TELVOR");
    const std::time_t before = std::time(nullptr);
    run_in_folder(folder.program_dir, window);
    const std::time_t after = std::time(nullptr);

    EXPECT_EQ(folder.names(), (Lines{"Neu.TELVOR"}));
    const std::string bytes = read_bytes(folder.file("Neu.TELVOR"));
    const std::string tail = ascii_upper(folder.file("Neu.TELVOR")) + " <<< -- File new created...";
    EXPECT_TRUE(bytes == crlf(record(creation_stamp(before) + tail, "Genre: created...",
                                     "Description created...")) ||
                bytes == crlf(record(creation_stamp(after) + tail, "Genre: created...",
                                     "Description created...")))
        << bytes;
    EXPECT_EQ(window.questions_asked, 1);
    EXPECT_FALSE(window.clipboard_cleared);
}

// Existing files are used unchanged: a typed name whose ".telvor" file
// exists means that file, and a file with another extension is used as picked.
TEST(EventFileChoice, ExistingFilesAreUsedWithoutHeader) {
    const Lines old_record = record("04.12.2009 18:00 + Sportschau", "Genre: Sport", "Tore");
    struct Case {
        const char* typed;
        const char* existing;
    };
    for (const Case c : {Case{"sport", "sport.telvor"}, Case{"sport.telvor", "sport.telvor"},
                         Case{"notes.txt", "notes.txt"}}) {
        SCOPED_TRACE(c.typed);
        Folder folder;
        write_bytes(folder.file(c.existing), crlf(old_record));
        ScriptedWindow window;
        script(window, NO, WORKED_GUIDE);
        window.chosen_path = folder.file(c.typed);
        run_in_folder(folder.program_dir, window);

        EXPECT_EQ(folder.names(), (Lines{c.existing}));
        EXPECT_EQ(read_bytes(folder.file(c.existing)), crlf(old_record + WORKED_RECORD));
        const std::string path = folder.file(c.existing);
        EXPECT_EQ(
            window.lines_of(EVENT_VIEW),
            (event_head(path) + Lines{"04.12.2009 18:00 + Sportschau", "05.12.2009 08:15   News"} +
             event_closing(path)));
    }
}

// The dialog cancelled: the run ends there, with nothing written, no
// question and the clipboard untouched.
TEST(EventFileChoice, CancelledDialogEndsTheRun) {
    Folder folder;
    folder.sample_lists();
    ScriptedWindow window;
    script(window, YES, WORKED_GUIDE);
    window.chosen_path = "";
    run_in_folder(folder.program_dir, window);

    expect_dialog_inputs(window, folder);
    EXPECT_EQ(window.questions_asked, 0);
    EXPECT_EQ(window.clipboard_reads, 0);
    EXPECT_FALSE(window.clipboard_cleared);
    EXPECT_EQ(window.clipboard, WORKED_GUIDE);
    EXPECT_EQ(window.events_waited, 0);
    EXPECT_EQ(folder.names(), (Lines{"TELVOR.filter", "TELVOR.service"}));
    EXPECT_EQ(window.lines_of(FILTER_VIEW), filter_view(SAMPLE_FILTER_TERMS));
    EXPECT_EQ(window.lines_of(SERVICE_VIEW), service_view(SAMPLE_SERVICES_ASCENDING));
    EXPECT_EQ(window.lines_of(EVENT_VIEW), (Lines{}));
    EXPECT_EQ(window.creation_order, (std::vector<int>{0, 10, 2, 12, 1, 11}));
}
