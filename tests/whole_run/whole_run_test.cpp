// Whole runs with scripted window services: the Event file's bytes and the
// views afterwards, for ordinary runs, failed steps and long lists.
#include <gtest/gtest.h>

#include <cctype>
#include <ctime>
#include <filesystem>
#include <optional>

#include "run/run_state.h"
#include "run/views.h"
#include "runtime/file.h"
#include "runtime/scripted/scripted_window.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace expect;
enum : int { YES = ANSWER_YES, NO = ANSWER_NO, CANCEL = ANSWER_CANCEL };
// The first line of the box that lists the failed steps.
const std::string FAILED_STEPS = "TELVOR could not complete these steps:";
Lines lines_of(const std::string& text) {
    Lines lines(1);
    for (const char c : text) {
        if (c == '\n') lines.emplace_back();
        else lines.back() += c;
    }
    return lines;
}

std::string crlf(const Lines& lines) {  // every line followed by CR LF
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}
// The bytes of an Event record.
std::string rec(const std::string& event, const std::string& genre, const std::string& text) {
    return crlf({event, genre, text, ""});
}
std::string marked(const std::string& event) {
    return event.substr(0, 16) + " + " + event.substr(19);
}
Lines view(const std::string& path, const Lines& body, bool closed = true) {
    return event_view(path, body, closed);
}

// A fresh Program directory; folder is the path the run sees, ending in the
// directory separator.
struct Folder {
    ScratchDir dir;
    std::string folder = fs::canonical(dir.path()).string() + directory_separator();
    std::string file(const std::string& name) const { return folder + name; }
    std::string bytes(const std::string& name = "epg.telvor") const {
        return read_bytes(file(name));
    }
    void sample_lists() const {
        for (const char* name : {"TELVOR.filter", "TELVOR.service"})
            write_bytes(file(name), sample_bytes(name));
    }
    // One run: the answer, the clipboard's text (none: nullopt), the program
    // arguments and what the open-file dialog returns. Two other events
    // precede the Close event. The exit status is kept in status.
    ScriptedWindow telvor(int answer, std::optional<std::string> clipboard,
                          const std::vector<std::string>& arguments = {"epg.telvor"},
                          const std::string& chosen = "", bool window_fails = false) {
        ScriptedWindow window;
        window.answer = answer;
        window.clipboard_has_text = clipboard.has_value();
        window.clipboard = clipboard.value_or("");
        window.chosen_path = Path{chosen};
        window.window_fails = window_fails;
        window.events_before_close = 2;
        status = run_in_folder(folder, window, arguments);
        return window;
    }
    int status = -1;
};

}  // namespace

// The sample Guide text with the sample lists into an empty Event file:
// Tagesschau and heute-journal filtered, the second Tatort a repeat, service
// names cut out. Written back unchanged by a later run without Guide text.
TEST(WholeRun, SampleGuideTextAnswerNo) {
    Folder f;
    f.sample_lists();
    write_bytes(f.file("epg.telvor"), "");
    ScriptedWindow w = f.telvor(NO, sample_bytes("guide-webif.txt"));

    EXPECT_EQ(w.lists.at(SERVICE_VIEW).top, 1);  // 9 rows: "ZDF HD " stands on line 9

    const Lines records = {  // Event line, Genre line, Description line
        "05.12.2009 18:00   Sportschau", "Genre: Fu\337ball-Bundesliga, 15. Spieltag",
        "Alle Spiele, alle Tore, alle Stimmen.", "05.12.2009 20:15   Wetten, dass..?",
        "Genre: Show", "Live aus Graz. Mit G\344sten aus Film, Musik und Sport.",
        "06.12.2009 20:15   Tatort: T\366dliche Tarnung", "Genre: Krimi",
        "Kommissar Lannert ermittelt im Stuttgarter Hafen.",
        "07.12.2009 09:05   Die gro\337e Reise",
        "Genre: Dokumentation", "Ein Jahr auf den Spuren der Zugv\366gel.",
        "07.12.2009 19:45   Journal", "Genre: NachrichtenMagazin", "Das Neueste aus Europa.",
        "08.12.2009 19:20   Kulturzeit", "Genre: Kultur",
        "Themen: Die Weihnachtsausstellung im Louvre; B\374cher des Jahres.",
        "10.12.2009 23:15   Markus Lanz", "Genre: Talk",
        "G\344ste: ein Bergsteiger, eine K\366chin, ein Komiker.", "11.12.2009 22:15   Tagesthemen",
        "Genre: Nachrichten", "Mit dem Wetter."};
    Lines events;
    std::string file;
    for (size_t i = 0; i < records.size(); i += 3) {
        events.push_back(records[i]);
        file += rec(records[i], records[i + 1], records[i + 2]);
    }
    EXPECT_EQ(w.lines_of(EVENT_VIEW), view("epg.telvor", events));
    EXPECT_EQ(f.bytes(), file);
    EXPECT_TRUE(w.clipboard_cleared);
    EXPECT_EQ(w.events_waited, 3);
    EXPECT_EQ(folder_entries(f.folder), 3);
    f.telvor(NO, std::nullopt);
    EXPECT_EQ(f.bytes(), file);
}

// A marked and an unmarked record; the Guide text brings a new event, a
// repeat of the marked one and a filtered one.
TEST(WholeRun, ExistingEventFileForEachAnswer) {
    const std::string guide =
        "Mo. 7.12.2009\tarte\tDie gro\337e Reise\r\n9:05\t45 min.\tDoku\r\n9:50\tEin Jahr.\r\n"
        "\t\r\nDi. 8.12.2009\tDas Erste\tSportschau\r\n18:00\t50 min.\tSport\r\n18:50\tWdh.\r\n"
        "\t\r\nMi. 9.12.2009\tDas Erste\tWetter\r\n20:00\t5 min.\tService\r\n20:05\tRegen\r\n";
    Lines e = {"05.12.2009 18:00 + Sportschau", "06.12.2009 20:15   Tatort",
               "07.12.2009 09:05   Die gro\337e Reise"};
    const auto old = [&] {
        return rec(e[0], "Genre: Sport", "Tore") + rec(e[1], "Genre: Krimi", "Mord");
    };
    for (const int answer : {NO, CANCEL, YES}) {
        SCOPED_TRACE(answer);
        Folder f;
        f.sample_lists();
        write_bytes(f.file("a b.telvor"), old());
        ScriptedWindow w = f.telvor(answer, guide, {"a b.telvor"});
        if (answer == YES)
            for (std::string& line : e) line = marked(line);
        EXPECT_EQ(f.bytes("a b.telvor"), old() + rec(e[2], "Genre: Doku", "Ein Jahr."));
        EXPECT_EQ(w.lines_of(EVENT_VIEW), view("a b.telvor", e));
        EXPECT_EQ(w.clipboard, answer == CANCEL ? guide : "");  // emptied once stored
        EXPECT_EQ(w.events_waited, answer == CANCEL ? 0 : 3);
    }
}

// The open-file dialog: a new name gets ".telvor" (kept as typed in any
// case) and the New-file header; a typed name whose ".telvor" file exists
// means that file. A title with three spaces survives the Yes; the same
// Guide text again, or none, leaves the file as it is.
TEST(WholeRun, EventFileChosenInTheDialog) {
    const std::string guide = "Sa. 5.12.2009\tA   B\r\n8:15\t30 min.\tInfo\r\n8:45\tText\r\n";
    const std::string event = "05.12.2009 08:15 + A   B", old = "04.12.2009 18:00 + Sport";
    for (const auto& [typed, name] : std::vector<std::pair<std::string, std::string>>{
             {"neu", "neu.telvor"}, {"Neu.TELVOR", "Neu.TELVOR"}, {"sport", "sport.telvor"}}) {
        SCOPED_TRACE(typed);
        Folder f;
        const std::string path = f.file(name);
        if (typed == "sport") write_bytes(path, rec(old, "Genre: Sport", "Tore"));
        const std::time_t before = std::time(nullptr);
        ScriptedWindow w = f.telvor(YES, guide, {}, f.file(typed));
        const std::time_t after = std::time(nullptr);

        EXPECT_EQ(w.dialog_title, "Bitte Datei zum Laden ausw\344hlen");
        EXPECT_EQ(w.dialog_default_path.native, f.folder + "*.telvor");
        EXPECT_EQ(w.dialog_pattern, "Dateien (*.telvor)|*.telvor");
        EXPECT_EQ(folder_entries(f.folder), 1);
        const std::string bytes = read_bytes(path);
        std::string first = old, upper = path;
        if (typed == "sport") {
            EXPECT_EQ(bytes, rec(old, "Genre: Sport", "Tore") + rec(event, "Genre: Info", "Text"));
        } else {
            for (char& c : upper) c = static_cast<char>(std::toupper(c));
            const auto header = [&](std::time_t when) {
                char stamp[32];
                std::strftime(stamp, sizeof stamp, "%d.%m.%Y %H:%M", std::localtime(&when));
                return std::string(stamp) + " -- >>> " + upper + " <<< -- File new created...";
            };
            first = bytes.substr(0, bytes.find('\r'));
            EXPECT_TRUE(first == header(before) || first == header(after)) << first;
            EXPECT_EQ(bytes, rec(first, "Genre: created...", "Description created...") +
                                 rec(event, "Genre: Info", "Text"));
        }
        EXPECT_EQ(w.lines_of(EVENT_VIEW), view(path, {first.substr(0, 130), event}));
        f.telvor(NO, guide, {path});
        f.telvor(NO, std::nullopt, {path});
        EXPECT_EQ(read_bytes(path), bytes);
    }
}

TEST(WholeRun, CancelledDialogEndsTheRun) {
    Folder f;
    ScriptedWindow w = f.telvor(YES, "guide", {}, "");
    EXPECT_EQ(w.dialogs_shown, 1);
    EXPECT_EQ(w.questions_asked + w.clipboard_reads, 0);
    EXPECT_EQ(w.clipboard, "guide");
    EXPECT_EQ(w.lines_of(EVENT_VIEW), Lines{});
    EXPECT_EQ(folder_entries(f.folder), 0);
}

// Records only (LF ends, trailing spaces, a tab, a stray line, a filtered
// and a repeated record, a last record cut short) are written back record
// for record. Then a Guide text cut short at its end, without list files.
TEST(WholeRun, RecordsOnlyAndGuideTextCutShort) {
    Folder f;
    f.sample_lists();
    write_bytes(f.file("epg.telvor"),
                "05.12.2009 18:00 + Sportschau  \nGenre: Sport\nAlle Spiele \n\n"
                "05.12.2009 20:00   Tagesschau\nGenre: Nachrichten\n"
                "06.12.2009 20:00   Krimi am Abend\n\nSeite 2\nProgramm vom 5.12.\n"
                "06.12.2009 18:00   Sportschau\nGenre: Sport\nWiederholung\n\n"
                "07.12.2009 21:00   Film\tmit Tab\nGenre: Spielfilm\nEin Film.\n\n"
                "08.12.2009 22:00   Letzter");
    ScriptedWindow w = f.telvor(NO, std::nullopt);
    const Lines kept = {"05.12.2009 18:00 + Sportschau", "06.12.2009 20:00   Krimi am Abend",
                        "07.12.2009 21:00   Film\tmit Tab", "08.12.2009 22:00   Letzter"};
    EXPECT_EQ(f.bytes(),
              rec(kept[0], "Genre: Sport", "Alle Spiele") + rec(kept[1], "", "Seite 2") +
                  rec(kept[2], "Genre: Spielfilm", "Ein Film.") + rec(kept[3], "", ""));
    EXPECT_EQ(w.lines_of(EVENT_VIEW), view("epg.telvor", kept));

    Folder g;
    write_bytes(g.file("epg.telvor"), "");
    w = g.telvor(NO, "Sa.05.12.2009 News\r\n8:15 30 min. Info\r\n8:45 Text\r\n"
                  "So. 6.12.2009\tDas Erste HD\tNews am Abend");
    const std::string cut = "06.12.2009    Das Erste HD News am Abend";  // no Start time
    EXPECT_EQ(g.bytes(), rec("05.12.2009 08:15   News", "Genre: Info", "Text") +
                             rec(cut, "Genre: ", ""));
    EXPECT_EQ(w.lines_of(EVENT_VIEW), view("epg.telvor", {"05.12.2009 08:15   News", cut}));
}

// A folder that is not empty where a working file must be created. Without
// TELVOR.CLP the Guide text is not stored; without TELVOR.DAT the Event file
// keeps what the capture appended, unconverted. Either way the Guide text
// stays on the clipboard, the folder stays, and the step has failed.
TEST(FailedSteps, WorkingFileThatCannotBeCreated) {
    const Lines old = {"05.12.2009 08:15 + News", "06.12.2009 20:15   Krimi"};
    const std::string old_file = rec(old[0], "Genre: Info", "Text") + rec(old[1], "G", "D");
    const std::string guide = "So. 7.12.2009\tNeu\r\n9:00\t5 min.\tX\r\n9:05\tY\r\n";
    for (const std::string name : {"TELVOR.CLP", "TELVOR.DAT"}) {
        SCOPED_TRACE(name);
        Folder f;
        fs::create_directories(f.file(name + "/kept"));
        write_bytes(f.file("epg.telvor"), old_file);
        ScriptedWindow w = f.telvor(NO, guide);

        const Lines refused = notice("epg.telvor", "Not writing...");
        const bool clp = name == "TELVOR.CLP";
        const std::string appended = "So.07.12.2009 Neu\r\n9:00 5 min. X\r\n9:05 Y\r\n\r\n";
        EXPECT_EQ(f.bytes(), clp ? old_file : old_file + appended);
        EXPECT_EQ(w.lines_of(EVENT_VIEW), clp ? view("epg.telvor", refused + old)
                                              : view("epg.telvor", refused, false));
        EXPECT_EQ(w.clipboard, guide);
        EXPECT_TRUE(fs::is_directory(f.file(name + "/kept")));
        EXPECT_EQ(f.status, EXIT_STEP_FAILED);
        ASSERT_EQ(w.messages.size(), 1u);
        const Lines box = lines_of(w.messages[0]);
        ASSERT_EQ(box.size(), 2u) << w.messages[0];
        EXPECT_EQ(box[0], FAILED_STEPS);
        EXPECT_TRUE(box[1].starts_with("cannot create " + f.file(name) + ": ")) << box[1];
    }
}

// An Event file that is a folder, and one that is missing while a working
// copy of an interrupted run lies about: each step that needs it says so,
// and nothing is written.
TEST(FailedSteps, EventFileThatCannotBeRead) {
    for (const std::string kind : {"folder", "missing"}) {
        SCOPED_TRACE(kind);
        Folder f;
        const std::string leftover = rec("04.12.2009 08:15 + Alt", "G", "D");
        if (kind == "folder") fs::create_directory(f.file("epg.telvor"));
        if (kind == "missing") write_bytes(f.file("TELVOR.CLP"), leftover);
        ScriptedWindow w = f.telvor(NO, "So. 7.12.2009\tNeu\r\n9:00\t5 min.\tX\r\n9:05\tY\r\n");
        const Lines refused = notice("epg.telvor", "Not reading...");
        EXPECT_EQ(w.lines_of(EVENT_VIEW), view("epg.telvor", refused + refused, false));
        EXPECT_EQ(w.clipboard_cleared, false);
        EXPECT_EQ(f.status, EXIT_STEP_FAILED);
        // One box lists both steps, with the path and the system's reason.
        ASSERT_EQ(w.messages.size(), 1u);
        const Lines box = lines_of(w.messages[0]);
        ASSERT_EQ(box.size(), 3u) << w.messages[0];
        EXPECT_EQ(box[0], FAILED_STEPS);
        EXPECT_EQ(box[1], box[2]);
        EXPECT_GT(box[1].size(), std::string("cannot read epg.telvor: ").size());
        EXPECT_TRUE(box[1].starts_with("cannot read epg.telvor: ")) << box[1];
        if (kind == "missing") {
            EXPECT_EQ(f.bytes("TELVOR.CLP"), leftover);
        }
        EXPECT_EQ(folder_entries(f.folder), 1);
    }
}

// Without a window the question is still asked, and the run ends after it.
TEST(FailedSteps, NoWindow) {
    Folder f;
    write_bytes(f.file("epg.telvor"), "old");
    ScriptedWindow w = f.telvor(YES, "guide", {"epg.telvor"}, "", true);
    EXPECT_TRUE(w.lists.empty() && w.frames.empty());
    EXPECT_EQ(w.questions_asked, 1);
    EXPECT_EQ(w.clipboard, "guide");
    EXPECT_EQ(f.bytes(), "old");
    EXPECT_EQ(f.status, EXIT_NO_DISPLAY);
}

// 25 rows fit the Event view: it is scrolled to the last event, also after
// the Marking pass. A last Event line longer than the 130 characters a view
// line holds matches no view line and leaves the view unscrolled; the file
// keeps the whole line, its Event text cut to 200 characters.
TEST(LongLists, EventViewScrolledToTheLastEvent) {
    for (const int answer : {NO, YES}) {
        for (const bool long_last : {false, true}) {
            SCOPED_TRACE(std::to_string(answer) + (long_last ? " long" : ""));
            std::string guide, file;
            Lines shown;
            for (int i = 1; i <= 30; ++i) {
                const std::string title = long_last && i == 30 ? "Ende " + std::string(225, 'x')
                                                               : "Folge " + std::to_string(i);
                guide += "Sa. 5.12.2009\t" + title + "\r\n8:15\t30 min.\tSerie\r\n8:45\tText\r\n";
                std::string line = "05.12.2009 08:15   " + title.substr(0, 200);
                if (answer == YES) line = marked(line);
                shown.push_back(line.substr(0, 130));
                file += rec(line, "Genre: Serie", "Text");
            }
            Folder f;
            write_bytes(f.file("epg.telvor"), "");
            ScriptedWindow w = f.telvor(answer, guide);
            EXPECT_EQ(f.bytes(), file);
            EXPECT_EQ(w.lines_of(EVENT_VIEW), view("epg.telvor", shown));
            EXPECT_EQ(w.lists.at(EVENT_VIEW).top, long_last ? 0 : 33 - 25 + 1);  // last: line 33
        }
    }
}

// 50001 records without empty lines between them fill every slot the Event
// store was made with; past them an Event line without Event text is still
// dropped, the next record kept, and a repeat of it dropped.
TEST(LongLists, EventStoreKeepsEveryEvent) {
    std::string file, expected;
    for (int i = 0; i <= 50000; ++i) {
        const std::string line = "01.01.2010 10:00   Folge " + std::to_string(i);
        file += crlf({line, "Genre: Serie", "Teil"});
        expected += rec(line, "Genre: Serie", "Teil");
    }
    // The last record is a repeat of the one before it, found in the grown store.
    file += crlf({"02.01.2010 11:00", "Genre: Leer", "Nix", "03.01.2010 12:00   Ende", "G", "X",
                  "04.01.2010 13:00   Ende", "G", "Y"});
    Folder f;
    write_bytes(f.file("epg.telvor"), file);
    ScriptedWindow w = f.telvor(NO, std::nullopt);
    // Compared without a diff of the two large texts.
    EXPECT_TRUE(f.bytes() == expected + rec("03.01.2010 12:00   Ende", "G", "X"));
    EXPECT_EQ(w.lists.at(EVENT_VIEW).top, 4 + 50001 - 25 + 1);  // "Ende" on line 50005
}
