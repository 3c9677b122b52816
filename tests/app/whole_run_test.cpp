// Whole runs over Guide text and Event files: what the Event file holds
// afterwards, byte for byte, and what the three views show.
#include "whole_run.h"

#include <gtest/gtest.h>

using namespace whole_run;

namespace {

// The events the sample Guide text yields with the sample lists, in order:
// the Tagesschau blocks and heute-journal are filtered, the second Tatort is
// a repeat, and the service names ("arte" also inside "ARTE Journal") are cut out.
const Lines SAMPLE_EVENT_LINES = {
    "05.12.2009 18:00   Sportschau",
    "05.12.2009 20:15   Wetten, dass..?",
    "06.12.2009 20:15   Tatort: T\366dliche Tarnung",
    "07.12.2009 09:05   Die gro\337e Reise",
    "07.12.2009 19:45   Journal",
    "08.12.2009 19:20   Kulturzeit",
    "10.12.2009 23:15   Markus Lanz",
    "11.12.2009 22:15   Tagesthemen",
};

Lines sample_records(bool with_marks) {
    Lines e = SAMPLE_EVENT_LINES;
    if (with_marks)
        for (std::string& line : e) line = marked(line);
    return record(e[0], "Genre: Fu\337ball-Bundesliga, 15. Spieltag",
                  "Alle Spiele, alle Tore, alle Stimmen.") +
           record(e[1], "Genre: Show", "Live aus Graz. Mit G\344sten aus Film, Musik und Sport.") +
           record(e[2], "Genre: Krimi", "Kommissar Lannert ermittelt im Stuttgarter Hafen.") +
           record(e[3], "Genre: Dokumentation", "Ein Jahr auf den Spuren der Zugv\366gel.") +
           record(e[4], "Genre: NachrichtenMagazin", "Das Neueste aus Europa.") +
           record(e[5], "Genre: Kultur",
                  "Themen: Die Weihnachtsausstellung im Louvre; B\374cher des Jahres.") +
           record(e[6], "Genre: Talk", "G\344ste: ein Bergsteiger, eine K\366chin, ein Komiker.") +
           record(e[7], "Genre: Nachrichten", "Mit dem Wetter.");
}

Lines marked_all(Lines lines) {
    for (std::string& line : lines) line = marked(line);
    return lines;
}

}  // namespace

// The sample Guide text with the sample lists into an empty Event file:
// window, gadgets, start lines, the three views and the file; then a Yes.
TEST(WholeRun, SampleGuideTextWithSampleLists) {
    for (const int answer : {NO, YES}) {
        SCOPED_TRACE(answer == YES ? "answer Yes" : "answer No");
        Folder folder;
        folder.sample_lists();
        write_bytes(folder.file("epg.telvor"), "");
        ScriptedWindow window;
        script(window, answer, sample_bytes("guide-webif.txt"));
        run_in_folder(folder.program_dir, window, {"epg.telvor"});

        // The window and its gadgets.
        EXPECT_TRUE(window.window_is_open);
        EXPECT_EQ(window.window_number, 0);
        EXPECT_EQ(window.window_title, WINDOW_TITLE);
        EXPECT_EQ(window.window_flags, 0xCA0001u);
        EXPECT_EQ(window.window_width, 644);
        EXPECT_EQ(window.window_height, 495);
        EXPECT_EQ(window.creation_order, (std::vector<int>{0, 10, 2, 12, 1, 11}));
        const auto geometry = [&](int n) {
            const ScriptedList& l = window.lists.at(n);
            return std::vector<int>{l.x, l.y, l.width, l.height};
        };
        EXPECT_EQ(geometry(0), (std::vector<int>{10, 15, 305, 122}));
        EXPECT_EQ(geometry(2), (std::vector<int>{328, 15, 305, 122}));
        EXPECT_EQ(geometry(1), (std::vector<int>{10, 157, 623, 329}));
        const auto frame = [&](int n) {
            const ScriptedFrame& f = window.frames.at(n);
            return std::vector<int>{f.x, f.y, f.width, f.height};
        };
        EXPECT_EQ(frame(10), (std::vector<int>{6, 0, 314, 139}));
        EXPECT_EQ(frame(12), (std::vector<int>{324, 0, 314, 139}));
        EXPECT_EQ(frame(11), (std::vector<int>{6, 141, 632, 347}));
        EXPECT_EQ(window.frames.at(10).caption, " Filter ");
        EXPECT_EQ(window.frames.at(12).caption, " Service ");
        EXPECT_EQ(window.frames.at(11).caption, " Event - Information ");

        // The list views.
        EXPECT_EQ(window.lines_of(FILTER_VIEW), filter_view(SAMPLE_FILTER_TERMS));
        EXPECT_EQ(window.lines_of(SERVICE_VIEW), service_view(SAMPLE_SERVICES_ASCENDING));
        // Nine rows fit the upper views: "Wetter" (line 6) is in view at once,
        // "ZDF HD " (line 9) needs the view scrolled by one line.
        EXPECT_EQ(window.lists.at(FILTER_VIEW).top, 0);
        EXPECT_EQ(window.lists.at(SERVICE_VIEW).top, 1);
        EXPECT_EQ(window.lists.at(FILTER_VIEW).selection, -1);
        EXPECT_EQ(window.lists.at(SERVICE_VIEW).selection, -1);

        // The question.
        EXPECT_EQ(window.questions_asked, 1);
        EXPECT_EQ(window.question_title, VERSION);
        EXPECT_EQ(window.question_text, QUESTION);
        EXPECT_EQ(window.question_flags, 3);
        EXPECT_EQ(window.dialogs_shown, 0);
        EXPECT_EQ(window.clipboard_reads, 1);

        const Lines events = answer == YES ? marked_all(SAMPLE_EVENT_LINES) : SAMPLE_EVENT_LINES;
        EXPECT_EQ(window.lines_of(EVENT_VIEW),
                  event_head("epg.telvor") + events + event_closing("epg.telvor"));
        EXPECT_EQ(window.lists.at(EVENT_VIEW).top, 0);
        EXPECT_EQ(window.lists.at(EVENT_VIEW).selection, -1);
        EXPECT_EQ(read_bytes(folder.file("epg.telvor")), crlf(sample_records(answer == YES)));

        EXPECT_TRUE(window.clipboard_cleared);
        EXPECT_EQ(window.events_waited, 3);
        EXPECT_EQ(folder.names(), (Lines{"TELVOR.filter", "TELVOR.service", "epg.telvor"}));
    }
}

// An Event file with a marked and an unmarked record; the new Guide text
// brings one new event, one repeat of the marked event and one filtered event.
TEST(WholeRun, ExistingEventFileWithNewGuideTextForEachAnswer) {
    const std::string event_file =
        crlf(record("05.12.2009 18:00 + Sportschau", "Genre: Sport", "Alle Spiele") +
             record("06.12.2009 20:15   Tatort: T\366dliche Tarnung", "Genre: Krimi",
                    "Kommissar ermittelt"));
    const std::string guide =
        "Mo. 7.12.2009\tarte\tDie gro\337e Reise\r\n9:05\t45 min.\tDokumentation\r\n"
        "9:50\tEin Jahr.\r\n\t\r\n"
        "Di. 8.12.2009\tDas Erste\tSportschau\r\n18:00\t50 min.\tSport\r\n18:50\tWiederholung\r\n"
        "\t\r\n"
        "Mi. 9.12.2009\tDas Erste\tWetter\r\n20:00\t5 min.\tService\r\n20:05\tRegen\r\n";
    const Lines converted_lines = {"05.12.2009 18:00 + Sportschau",
                                   "06.12.2009 20:15   Tatort: T\366dliche Tarnung",
                                   "07.12.2009 09:05   Die gro\337e Reise"};
    const auto records = [](const Lines& e) {
        return crlf(record(e[0], "Genre: Sport", "Alle Spiele") +
                    record(e[1], "Genre: Krimi", "Kommissar ermittelt") +
                    record(e[2], "Genre: Dokumentation", "Ein Jahr."));
    };
    const std::string path = "week 49.telvor";

    for (const int answer : {YES, NO, CANCEL}) {
        SCOPED_TRACE(answer);
        Folder folder;
        folder.sample_lists();
        write_bytes(folder.file(path), event_file);
        ScriptedWindow window;
        script(window, answer, guide);
        run_in_folder(folder.program_dir, window, {path});

        EXPECT_EQ(window.questions_asked, 1);
        if (answer == YES) {
            const Lines marked_lines = marked_all(converted_lines);
            EXPECT_EQ(read_bytes(folder.file(path)), records(marked_lines));
            EXPECT_EQ(window.lines_of(EVENT_VIEW),
                      event_head(path) + marked_lines + event_closing(path));
        } else {
            EXPECT_EQ(read_bytes(folder.file(path)), records(converted_lines));
            EXPECT_EQ(window.lines_of(EVENT_VIEW),
                      event_head(path) + converted_lines + event_closing(path));
        }
        if (answer == CANCEL) {
            // Ends at once: the Guide text stays on the clipboard, no wait.
            EXPECT_FALSE(window.clipboard_cleared);
            EXPECT_TRUE(window.clipboard_has_text);
            EXPECT_EQ(window.clipboard, guide);
            EXPECT_EQ(window.events_waited, 0);
        } else {
            // Events are taken until the Close event, the third one.
            EXPECT_TRUE(window.clipboard_cleared);
            EXPECT_EQ(window.events_waited, 3);
        }
        EXPECT_EQ(folder.names(), (Lines{"TELVOR.filter", "TELVOR.service", path}));
    }
}

// An Event file of records only (LF line ends, trailing spaces, a tab, a
// stray line, a filtered and a repeated record, a last record cut short)
// and an empty clipboard: written back record for record.
TEST(WholeRun, EventFileOfRecordsOnlyIsWrittenBackRecordForRecord) {
    Folder folder;
    folder.sample_lists();
    write_bytes(folder.file("epg.telvor"),
                "05.12.2009 18:00 + Sportschau  \n"
                "Genre: Sport\n"
                "Alle Spiele \n"
                "\n"
                "05.12.2009 20:00   Tagesschau\n"
                "Genre: Nachrichten\n"
                // The Description line of the filtered record is an Event line itself.
                "06.12.2009 20:00   Krimi am Abend\n"
                "\n"
                "Seite 2\n"
                "Programm vom 5.12.\n"
                "06.12.2009 18:00   Sportschau\n"
                "Genre: Sport\n"
                "Wiederholung\n"
                "\n"
                "07.12.2009 21:00   Film\tmit Tab\n"
                "Genre: Spielfilm\n"
                "Ein Film.\n"
                "\n"
                "08.12.2009 22:00   Letzter");
    ScriptedWindow window;
    script(window, NO, "", false);
    run_in_folder(folder.program_dir, window, {"epg.telvor"});

    EXPECT_EQ(read_bytes(folder.file("epg.telvor")),
              crlf(record("05.12.2009 18:00 + Sportschau", "Genre: Sport", "Alle Spiele") +
                   record("06.12.2009 20:00   Krimi am Abend", "", "Seite 2") +
                   record("07.12.2009 21:00   Film\tmit Tab", "Genre: Spielfilm", "Ein Film.") +
                   record("08.12.2009 22:00   Letzter", "", "")));
    EXPECT_EQ(window.lines_of(EVENT_VIEW),
              (event_head("epg.telvor") +
               Lines{"05.12.2009 18:00 + Sportschau", "06.12.2009 20:00   Krimi am Abend",
                     "07.12.2009 21:00   Film\tmit Tab", "08.12.2009 22:00   Letzter"} +
               event_closing("epg.telvor")));
    // The capture stored the (empty) Guide text, so the clipboard is emptied.
    EXPECT_TRUE(window.clipboard_cleared);
}

// The worked Guide block of the conversion, then a block cut short by the
// end of the Guide text; no list files at all.
TEST(WholeRun, WorkedExampleAndGuideTextCutShortWithoutListFiles) {
    Folder folder;
    write_bytes(folder.file("epg.telvor"), "");
    ScriptedWindow window;
    script(window, NO,
           "Sa.05.12.2009 News\r\n8:15 30 min. Info\r\n8:45 Text\r\n"
           "So. 6.12.2009\tDas Erste HD\tNews am Abend");
    run_in_folder(folder.program_dir, window, {"epg.telvor"});

    EXPECT_EQ(window.lines_of(FILTER_VIEW), missing_list_view("TELVOR.filter"));
    EXPECT_EQ(window.lines_of(SERVICE_VIEW), missing_list_view("TELVOR.service"));
    EXPECT_EQ(window.lists.at(FILTER_VIEW).top, 0);
    EXPECT_EQ(window.lists.at(SERVICE_VIEW).top, 0);

    // The cut block has no Start time, so its Event text starts five
    // characters into the title; the Genre line is "Genre: " alone.
    const std::string cut = "06.12.2009    Das Erste HD News am Abend";
    EXPECT_EQ(read_bytes(folder.file("epg.telvor")),
              crlf(record("05.12.2009 08:15   News", "Genre: Info", "Text") +
                   record(cut, "Genre: ", "")));
    EXPECT_EQ(window.lines_of(EVENT_VIEW),
              (event_head("epg.telvor") + Lines{"05.12.2009 08:15   News", cut} +
               event_closing("epg.telvor")));

    // The next run drops the cut record: its line has no ":" at character 14.
    ScriptedWindow again;
    script(again, YES, "", false);
    run_in_folder(folder.program_dir, again, {"epg.telvor"});
    EXPECT_EQ(read_bytes(folder.file("epg.telvor")),
              crlf(record("05.12.2009 08:15 + News", "Genre: Info", "Text")));
    EXPECT_EQ(again.lines_of(EVENT_VIEW),
              (event_head("epg.telvor") + Lines{"05.12.2009 08:15 + News"} +
               event_closing("epg.telvor")));
}

// A block cut short right after a short title has no Event text at all and
// is dropped as a repeat of an empty slot.
TEST(WholeRun, GuideBlockCutShortWithoutEventTextIsDropped) {
    Folder folder;
    write_bytes(folder.file("epg.telvor"), "");
    ScriptedWindow window;
    script(window, NO, "Sa. 5.12.2009\tNews");
    run_in_folder(folder.program_dir, window, {"epg.telvor"});
    EXPECT_EQ(read_bytes(folder.file("epg.telvor")), "");
    EXPECT_EQ(window.lines_of(EVENT_VIEW), event_head("epg.telvor") + event_closing("epg.telvor"));
}

// Dates and service names that only the second normalisation of a Weekday
// line completes, and a Description line that keeps what the first left.
TEST(WholeRun, WeekdayLinesAreNormalisedTwiceInOrder) {
    Folder folder;
    write_bytes(folder.file("TELVOR.service"), "XYZ\r\nABC\r\n");
    write_bytes(folder.file("epg.telvor"), "");
    ScriptedWindow window;
    script(window, NO,
           // ". 1.1." needs two date rows in turn; "XYZ " only appears once "ABC " is gone.
           "Sa. 1.1.2010\tXYABC Z Neujahr\r\n20:15\t90 min.\tFilm\r\n21:45\tTeil. 1. 1. Folge\r\n"
           // ". 3. 3.": the first pass completes only the first date.
           "So. 3. 3.2010\tNews\r\n8:00\t10 min.\tInfo\r\n8:10\tKurz\r\n"
           // A service name hides the day from the first pass; the second pass
           // removes the name that is left before it completes the date.
           "Mo. XYABC Z 4.1.2010 Test\r\n9:00\t5 min.\tQuiz\r\n9:05\tFrage\r\n");
    run_in_folder(folder.program_dir, window, {"epg.telvor"});

    EXPECT_EQ(window.lines_of(SERVICE_VIEW), service_view({"ABC ", "XYZ "}));
    const Lines events = {"01.01.2010 20:15   Neujahr", "03.03.2010 08:00   News",
                          "04.01.2010 09:00   Test"};
    EXPECT_EQ(
        read_bytes(folder.file("epg.telvor")),
        crlf(record(events[0], "Genre: Film", "Teil.01. 1. Folge") +
             record(events[1], "Genre: Info", "Kurz") + record(events[2], "Genre: Quiz", "Frage")));
    EXPECT_EQ(window.lines_of(EVENT_VIEW),
              event_head("epg.telvor") + events + event_closing("epg.telvor"));
}

// An Event file that this program wrote, header included, comes back byte
// for byte from a run without new Guide text; a second run with the same
// Guide text after a Yes adds nothing.
TEST(WholeRun, WrittenEventFilesComeBackUnchanged) {
    Folder folder;
    folder.sample_lists();
    const std::string path = folder.file("neu.telvor");

    ScriptedWindow first;
    script(first, YES, sample_bytes("guide-webif.txt"));
    first.chosen_path = folder.file("neu");
    run_in_folder(folder.program_dir, first);
    const std::string after_yes = read_bytes(path);
    // The header's Mark field " --" is no empty Mark field: it stays.
    const std::string header_line = after_yes.substr(0, after_yes.find("\r\n"));
    EXPECT_EQ(header_line.substr(16, 3), " --");
    EXPECT_EQ(after_yes, crlf(record(header_line, "Genre: created...", "Description created...")) +
                             crlf(sample_records(true)));

    for (const int answer : {NO, YES}) {
        SCOPED_TRACE(answer);
        ScriptedWindow again;
        script(again, answer, "", false);
        run_in_folder(folder.program_dir, again, {path});
        EXPECT_EQ(read_bytes(path), after_yes);
    }

    ScriptedWindow same_guide;
    script(same_guide, NO, sample_bytes("guide-webif.txt"));
    run_in_folder(folder.program_dir, same_guide, {path});
    EXPECT_EQ(read_bytes(path), after_yes);
    EXPECT_EQ(same_guide.lines_of(EVENT_VIEW),
              (event_head(path) + Lines{header_line.substr(0, 130)} +
               marked_all(SAMPLE_EVENT_LINES) + event_closing(path)));

    // Unmarked records come back unchanged as well.
    Folder other;
    other.sample_lists();
    write_bytes(other.file("epg.telvor"), crlf(sample_records(false)));
    ScriptedWindow unmarked;
    script(unmarked, NO, "", false);
    run_in_folder(other.program_dir, unmarked, {"epg.telvor"});
    EXPECT_EQ(read_bytes(other.file("epg.telvor")), crlf(sample_records(false)));
}

// A title with a run of three spaces: the Yes marks only the Mark field, and
// later runs keep the title as it is.
TEST(WholeRun, YesMarksOnlyTheMarkField) {
    Folder folder;
    write_bytes(folder.file("epg.telvor"), "");
    ScriptedWindow window;
    script(window, YES, "Sa. 5.12.2009\tA   B\r\n8:15\t30 min.\tInfo\r\n8:45\tText\r\n");
    run_in_folder(folder.program_dir, window, {"epg.telvor"});

    const std::string expected = crlf(record("05.12.2009 08:15 + A   B", "Genre: Info", "Text"));
    EXPECT_EQ(read_bytes(folder.file("epg.telvor")), expected);
    EXPECT_EQ(window.lines_of(EVENT_VIEW),
              (event_head("epg.telvor") + Lines{"05.12.2009 08:15 + A   B"} +
               event_closing("epg.telvor")));

    ScriptedWindow again;
    script(again, YES, "So. 6.12.2009\tA   B\r\n9:00\t30 min.\tInfo\r\n9:30\tNochmal\r\n");
    run_in_folder(folder.program_dir, again, {"epg.telvor"});
    EXPECT_EQ(read_bytes(folder.file("epg.telvor")), expected);
}
