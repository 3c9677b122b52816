// Whole runs with scripted window services: the Event file's bytes and the
// views afterwards, for ordinary runs, failed steps and long lists, and the
// runs that must leave the user's files and clipboard alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <optional>

#include "run/run_state.h"
#include "run/views.h"
#include "runtime/file.h"
#include "runtime/scripted/scripted_window.h"
#include "runtime/text.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace expect;
enum : int { YES = ANSWER_YES, NO = ANSWER_NO, CANCEL = ANSWER_CANCEL };
const std::string FAILED_STEPS = "TELVOR could not complete these steps:";
const std::string GUIDE = "Sa. 5.12.2009\tNeu\r\n8:15\t30 min.\tInfo\r\n8:45\tText\r\n";

Lines lines_of(const std::string& text) {
    Lines lines(1);
    for (const char c : text) {
        if (c == '\n') lines.emplace_back();
        else lines.back() += c;
    }
    return lines;
}
std::string rec(const std::string& event, const std::string& genre, const std::string& text) {  // a record
    return event + "\r\n" + genre + "\r\n" + text + "\r\n\r\n";
}
const std::string OLD_FILE = rec("04.12.2009 20:15 + Alt", "Genre: Krimi", "Fall.");
std::string marked(const std::string& event) { return event.substr(0, 16) + " + " + event.substr(19); }
// The lines of the one message box shown, or none.
Lines box(const ScriptedWindow& w) {
    EXPECT_EQ(w.messages.size(), 1u);
    return w.messages.size() == 1 ? lines_of(w.messages[0]) : Lines{};
}

// Every entry below a folder with its bytes (a folder, link or FIFO by kind).
std::vector<std::string> snapshot(const std::string& folder) {
    std::vector<std::string> all;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().string();
        if (entry.is_symlink()) all.push_back(name + " -> " + fs::read_symlink(entry.path()).string());
        else if (entry.is_regular_file()) all.push_back(name + " = " + read_bytes(name));
        else all.push_back(name + (entry.is_directory() ? " /" : " |"));
    }
    std::sort(all.begin(), all.end());
    return all;
}

// A fresh Program directory; folder is the path the run sees, ending in the
// directory separator.
struct Folder {
    ScratchDir dir;
    std::string folder = fs::canonical(dir.path()).string() + directory_separator();
    int status = -1;  // the last run's exit status
    std::string file(const std::string& name) const { return folder + name; }
    std::string bytes(const std::string& name = "epg.telvor") const { return read_bytes(file(name)); }
    void sample_lists() const {
        for (const char* name : {"TELVOR.filter", "TELVOR.service"}) write_bytes(file(name), sample_bytes(name));
    }
    // One run: the answer, the clipboard's text (none: nullopt), the program
    // arguments, what the open-file dialog returns, and the rest of the
    // script in w. Two other events precede the Close event.
    ScriptedWindow telvor(int answer, std::optional<std::string> clipboard,
                          const std::vector<std::string>& arguments = {"epg.telvor"},
                          const std::string& chosen = "", ScriptedWindow w = {}) {
        w.answer = answer;
        w.clipboard_has_text = clipboard.has_value();
        w.clipboard = clipboard.value_or("");
        w.chosen_path = Path{chosen};
        w.events_before_close = 2;
        status = run_in_folder(folder, w, arguments);
        return w;
    }
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
        "Alle Spiele, alle Tore, alle Stimmen.",
        "05.12.2009 20:15   Wetten, dass..?", "Genre: Show",
        "Live aus Graz. Mit G\344sten aus Film, Musik und Sport.",
        "06.12.2009 20:15   Tatort: T\366dliche Tarnung", "Genre: Krimi",
        "Kommissar Lannert ermittelt im Stuttgarter Hafen.",
        "07.12.2009 09:05   Die gro\337e Reise", "Genre: Dokumentation", "Ein Jahr auf den Spuren der Zugv\366gel.",
        "07.12.2009 19:45   Journal", "Genre: NachrichtenMagazin", "Das Neueste aus Europa.",
        "08.12.2009 19:20   Kulturzeit", "Genre: Kultur",
        "Themen: Die Weihnachtsausstellung im Louvre; B\374cher des Jahres.",
        "10.12.2009 23:15   Markus Lanz", "Genre: Talk", "G\344ste: ein Bergsteiger, eine K\366chin, ein Komiker.",
        "11.12.2009 22:15   Tagesthemen", "Genre: Nachrichten", "Mit dem Wetter."};
    Lines events;
    std::string file;
    for (size_t i = 0; i < records.size(); i += 3) {
        events.push_back(records[i]);
        file += rec(records[i], records[i + 1], records[i + 2]);
    }
    EXPECT_EQ(w.lines_of(EVENT_VIEW), event_view("epg.telvor", events));
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
    Lines e = {"05.12.2009 18:00 + Sportschau", "06.12.2009 20:15   Tatort", "07.12.2009 09:05   Die gro\337e Reise"};
    const auto old = [&] { return rec(e[0], "Genre: Sport", "Tore") + rec(e[1], "Genre: Krimi", "Mord"); };
    for (const int answer : {NO, CANCEL, YES}) {
        SCOPED_TRACE(answer);
        Folder f;
        f.sample_lists();
        write_bytes(f.file("a b.telvor"), old());
        ScriptedWindow w = f.telvor(answer, guide, {"a b.telvor"});
        if (answer == YES)
            for (std::string& line : e) line = marked(line);
        EXPECT_EQ(f.bytes("a b.telvor"), old() + rec(e[2], "Genre: Doku", "Ein Jahr."));
        EXPECT_EQ(w.lines_of(EVENT_VIEW), event_view("a b.telvor", e));
        EXPECT_EQ(w.clipboard, answer == CANCEL ? guide : "");  // emptied once stored
        EXPECT_EQ(w.events_waited, answer == CANCEL ? 0 : 3);
    }
}

// The open-file dialog: a new name gets ".telvor" (kept as typed in any
// case) and the New-file header; a typed name whose ".telvor" file exists
// means that file. A title with three spaces survives the Yes; the same
// Guide text again, or none, leaves the file as it is. A cancelled dialog
// ends the run with nothing asked, read or made.
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
        EXPECT_EQ(w.lines_of(EVENT_VIEW), event_view(path, {first.substr(0, 130), event}));
        f.telvor(NO, guide, {path});
        f.telvor(NO, std::nullopt, {path});
        EXPECT_EQ(read_bytes(path), bytes);
    }
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
    EXPECT_EQ(f.bytes(), rec(kept[0], "Genre: Sport", "Alle Spiele") + rec(kept[1], "", "Seite 2") +
                             rec(kept[2], "Genre: Spielfilm", "Ein Film.") + rec(kept[3], "", ""));
    EXPECT_EQ(w.lines_of(EVENT_VIEW), event_view("epg.telvor", kept));

    Folder g;
    write_bytes(g.file("epg.telvor"), "");
    w = g.telvor(NO, "Sa.05.12.2009 News\r\n8:15 30 min. Info\r\n8:45 Text\r\n"
                     "So. 6.12.2009\tDas Erste HD\tNews am Abend");
    const std::string cut = "06.12.2009    Das Erste HD News am Abend";  // no Start time
    EXPECT_EQ(g.bytes(), rec("05.12.2009 08:15   News", "Genre: Info", "Text") + rec(cut, "Genre: ", ""));
    EXPECT_EQ(w.lines_of(EVENT_VIEW), event_view("epg.telvor", {"05.12.2009 08:15   News", cut}));
}

// A folder that is not empty where a working file must be created. Without
// TELVOR.CLP the Guide text is not stored; without TELVOR.DAT the Event file
// keeps what the capture appended, unconverted. Either way the Guide text
// stays on the clipboard, the folder stays, and the step has failed.
TEST(FailedSteps, WorkingFileThatCannotBeCreated) {
    const Lines old = {"05.12.2009 08:15 + News", "06.12.2009 20:15   Krimi"};
    const std::string old_file = rec(old[0], "Genre: Info", "Text") + rec(old[1], "G", "D");
    for (const std::string name : {"TELVOR.CLP", "TELVOR.DAT"}) {
        SCOPED_TRACE(name);
        Folder f;
        fs::create_directories(f.file(name + "/kept"));
        write_bytes(f.file("epg.telvor"), old_file);
        ScriptedWindow w = f.telvor(NO, GUIDE);
        const Lines refused = notice("epg.telvor", "Not writing...");
        const bool clp = name == "TELVOR.CLP";
        const std::string appended = "Sa.05.12.2009 Neu\r\n8:15 30 min. Info\r\n8:45 Text\r\n\r\n";
        EXPECT_EQ(f.bytes(), clp ? old_file : old_file + appended);
        EXPECT_EQ(w.lines_of(EVENT_VIEW),
                  clp ? event_view("epg.telvor", refused + old) : event_view("epg.telvor", refused, false));
        EXPECT_EQ(w.clipboard, GUIDE);
        EXPECT_TRUE(fs::is_directory(f.file(name + "/kept")));
        EXPECT_EQ(f.status, EXIT_STEP_FAILED);
        const Lines b = box(w);
        ASSERT_EQ(b.size(), 2u);
        EXPECT_EQ(b[0], FAILED_STEPS);
        EXPECT_TRUE(b[1].starts_with("cannot create " + f.file(name) + ": ")) << b[1];
    }
}

// An Event file that is a folder, and one that is missing while a working
// copy of an interrupted run lies about; TELVOR's own files under whatever
// name they are reached (the lists and the working files are never Event
// files). Each step that needs the file says "Not reading...", one box
// lists both steps with the path and the system's reason, and nothing is
// read, written or created.
TEST(FailedSteps, EventFileThatCannotBeRead) {
    struct Case {
        std::string what;
        std::vector<std::string> arguments;
        std::string chosen, shown;
    };
    Folder f;
    for (const Case& c : std::vector<Case>{
             {"folder", {"epg.telvor"}, "", "epg.telvor"},
             {"missing beside a working copy", {"epg.telvor"}, "", "epg.telvor"},
             {"filter named", {"TELVOR.filter"}, "", "TELVOR.filter"},
#ifndef _WIN32
             {"service by a link", {"service-link.telvor"}, "", "service-link.telvor"},
#endif
             {"filter by a hard link", {"filter-copy.telvor"}, "", "filter-copy.telvor"},
             {"leftover working file", {"TELVOR.DAT"}, "", "TELVOR.DAT"},
             {"filter picked in the dialog", {}, f.file("TELVOR.filter"), f.file("TELVOR.filter")}}) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(f.folder)) fs::remove_all(entry.path());
        if (c.what == "folder") {
            fs::create_directory(f.file("epg.telvor"));
        } else if (c.what.starts_with("missing")) {
            write_bytes(f.file("TELVOR.CLP"), OLD_FILE);
        } else {
            write_bytes(f.file("TELVOR.filter"), "Tagesschau\r\nheute\r\n");
            write_bytes(f.file("TELVOR.service"), "Das Erste\r\n");
            write_bytes(f.file("TELVOR.DAT"), OLD_FILE);
#ifndef _WIN32
            fs::create_symlink("TELVOR.service", f.file("service-link.telvor"));
#endif
            fs::create_hard_link(f.file("TELVOR.filter"), f.file("filter-copy.telvor"));
        }
        const auto before = snapshot(f.folder);
        ScriptedWindow w = f.telvor(NO, GUIDE, c.arguments, c.chosen);
        EXPECT_EQ(snapshot(f.folder), before);
        const Lines refused = notice(c.shown, "Not reading...");
        EXPECT_EQ(w.lines_of(EVENT_VIEW), event_view(c.shown, refused + refused, false));
        EXPECT_FALSE(w.clipboard_cleared);
        EXPECT_EQ(f.status, EXIT_STEP_FAILED);
        const Lines b = box(w);
        ASSERT_EQ(b.size(), 3u);
        EXPECT_EQ(b[0], FAILED_STEPS);
        EXPECT_EQ(b[1], b[2]);
        EXPECT_TRUE(b[1].starts_with("cannot read " + c.shown + ": ") && !b[1].ends_with(": ")) << b[1];
    }
}

// The clipboard loses only Guide text this run stored and converted, and
// only while it still holds it: after Yes and No, text without a Guide
// block stays, a text copied while the question is open stays (the Guide
// text read before is stored), and a clipboard whose owner never hands its
// text over is a failed step, shown before the question, with nothing
// stored and the clipboard left alone. Without a window the question is
// still asked, and the run ends after it.
TEST(FailedSteps, ClipboardKeepsWhatWasNotTaken) {
    for (const int answer : {YES, NO}) {
        for (const std::string kind : {"no guide block", "later copy", "silent", "no window"}) {
            SCOPED_TRACE(kind + " " + std::to_string(answer));
            Folder f;
            write_bytes(f.file("epg.telvor"), OLD_FILE);
            ScriptedWindow s;
            const std::string copied =
                kind == "no guide block" ? "Liebe Gr\xFC\xDF" "e,\r\nbis Samstag. 5.12. um 8:15\r\n" : GUIDE;
            if (kind == "later copy") s.later_copy = "Notiz";
            s.clipboard_silent = kind == "silent";
            s.window_fails = kind == "no window";
            ScriptedWindow w = f.telvor(answer, copied, {"epg.telvor"}, "", s);

            EXPECT_FALSE(w.clipboard_cleared);
            EXPECT_EQ(w.clipboard, kind == "later copy" ? "Notiz" : copied);
            const std::string stored = rec(answer == YES ? "05.12.2009 08:15 + Neu" : "05.12.2009 08:15   Neu",
                                           "Genre: Info", "Text");
            EXPECT_EQ(f.bytes(), kind == "later copy" ? OLD_FILE + stored : OLD_FILE);
            EXPECT_EQ(w.questions_asked, 1);
            EXPECT_EQ(f.status, kind == "silent" ? EXIT_STEP_FAILED : kind == "no window" ? EXIT_NO_DISPLAY : EXIT_DONE);
            EXPECT_EQ(w.messages, kind == "silent" ? std::vector<Text>{FAILED_STEPS + "\ncannot read the clipboard: " +
                                                                       CLIPBOARD_SILENT}
                                                   : std::vector<Text>{});
            if (kind == "no window") {
                EXPECT_TRUE(w.lists.empty() && w.frames.empty());
            }
        }
    }
}

// 50001 records without empty lines between them fill every slot the Event
// store was made with; past them an Event line without Event text is still
// dropped, the next record kept, and a repeat of it dropped. 25 rows fit the
// Event view: it is scrolled to the last event, also after the Marking pass.
// A view line holds the first 130 characters of an Event line.
TEST(LongLists, EventStoreKeepsEveryEvent) {
    const std::string x(150, 'x');
    for (const int answer : {NO, YES}) {
        SCOPED_TRACE(answer);
        std::string file, expected;
        for (int i = 0; i <= 50000; ++i) {
            const std::string line = "01.01.2010 10:00   Folge " + std::to_string(i) + (i == 0 ? x : "");
            file += line + "\r\nGenre: Serie\r\nTeil\r\n";
            expected += rec(answer == YES ? marked(line) : line, "Genre: Serie", "Teil");
        }
        // The last record is a repeat of the one before it, found in the grown store.
        file += "02.01.2010 11:00\r\nGenre: Leer\r\nNix\r\n03.01.2010 12:00   Ende\r\nG\r\nX\r\n"
                "04.01.2010 13:00   Ende\r\nG\r\nY\r\n";
        Folder f;
        write_bytes(f.file("epg.telvor"), file);
        ScriptedWindow w = f.telvor(answer, std::nullopt);
        const std::string last = "03.01.2010 12:00   Ende";
        EXPECT_TRUE(f.bytes() == expected + rec(answer == YES ? marked(last) : last, "G", "X"));  // no diff of large texts
        EXPECT_EQ(w.lists.at(EVENT_VIEW).top, 4 + 50001 - 25 + 1);  // "Ende" on line 50005
        const std::string first = "01.01.2010 10:00   Folge 0" + x;
        EXPECT_EQ(w.lines_of(EVENT_VIEW).at(4), (answer == YES ? marked(first) : first).substr(0, 130));
    }
}

#ifndef _WIN32
// Names Windows-1252 cannot hold are used exactly as given: the decoy whose
// name shows the same is never touched, and views and the header show "?".
TEST(DataSafety, NamesOutsideWindows1252AreUsedAsGiven) {
    Folder f;
    const std::string lodz = f.file("\xC5\x81\xC3\xB3\x64\xC5\xBA/"), decoy = f.file("?\xC3\xB3\x64?/");
    for (const std::string& folder : {lodz, decoy}) {
        fs::create_directory(folder);
        write_bytes(folder + "TELVOR.filter", folder == lodz ? "Neu\r\n" : "Alt\r\n");
        for (const char* name : {"epg.telvor", "ev?.telvor", "ev\xE4.telvor", "\xF0\x9F\x98\x80.telvor"})
            write_bytes(folder + name, OLD_FILE);
    }
    const auto decoys = snapshot(decoy);
    const std::string root = f.folder;
    // The Program directory is Łódź: its filter drops the new event.
    f.folder = lodz;
    ScriptedWindow w = f.telvor(NO, GUIDE);
    EXPECT_EQ(f.status, EXIT_DONE);
    EXPECT_EQ(w.lines_of(FILTER_VIEW)[4], "Neu");
    EXPECT_EQ(f.bytes(), OLD_FILE);
    for (const std::string name : {"ev\xE4.telvor", "\xF0\x9F\x98\x80.telvor"}) {
        w = f.telvor(YES, "Sa. 5.12.2009\tMehr\r\n8:15\t30 min.\tX\r\n8:45\tY\r\n", {name});
        EXPECT_EQ(f.status, EXIT_DONE);
        EXPECT_EQ(f.bytes(name), OLD_FILE + rec("05.12.2009 08:15 + Mehr", "Genre: X", "Y"));
        const std::string shown = name[0] == 'e' ? "ev?.telvor" : "?.telvor";
        EXPECT_EQ(w.lines_of(EVENT_VIEW)[2], "File: >>> " + shown + " <<< writing...");
    }
    EXPECT_EQ(f.bytes("ev?.telvor"), OLD_FILE);
    // Picked in the dialog: a new Łódź.telvor, its header naming it with "?".
    f.telvor(YES, GUIDE, {}, lodz + "\xC5\x81\xC3\xB3\x64\xC5\xBA");
    EXPECT_EQ(f.status, EXIT_DONE);
    const std::string created = f.bytes("\xC5\x81\xC3\xB3\x64\xC5\xBA.telvor");
    EXPECT_NE(created.find(" -- >>> " + text_upper(path_display(Path{root})) +
                           "?\xD3" "D?/?\xD3" "D?.TELVOR <<< -- File"),
              std::string::npos)
        << created;
    EXPECT_EQ(snapshot(decoy), decoys);
}
#endif
