// Whole runs with scripted window services: the Event file's bytes, the views
// and the clipboard afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <tuple>
#ifdef _WIN32
#include <process.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "app/main_sequence.h"
#include "base/text.h"
#include "fs/file.h"
#include "steps/run_state.h"
#include "steps/views.h"
#include "support/scripted_window.h"
#include "support/test_support.h"
#include "sys/os.h"

namespace {

namespace fs = std::filesystem;
using namespace expect;
enum : int { YES = ANSWER_YES, NO = ANSWER_NO, CANCEL = ANSWER_CANCEL };
const std::string FAILED_STEPS = "TELVOR could not complete these steps:";
const std::string GUIDE = "Sa. 5.12.2009\tNeu\r\n8:15\t30 min.\tInfo\r\n8:45\tText\r\n";

std::string rec(const std::string& event, const std::string& genre, const std::string& text) {
    return event + "\r\n" + genre + "\r\n" + text + "\r\n\r\n";
}
const std::string OLD_FILE = rec("04.12.2009 20:15 + Alt", "Genre: Krimi", "Fall.");
std::string marked(const std::string& event) { return event.substr(0, 16) + " + " + event.substr(19); }

unsigned long long this_process() {
#ifdef _WIN32
    return static_cast<unsigned long long>(_getpid());
#else
    return static_cast<unsigned long long>(getpid());
#endif
}

// Every entry below a folder with its bytes or its link's target.
std::vector<std::string> snapshot(const std::string& folder) {
    std::vector<std::string> all;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().string();
        all.push_back(name + (entry.is_symlink()        ? " -> " + fs::read_symlink(name).string()
                              : entry.is_regular_file() ? " = " + read_bytes(name)
                                                        : " /"));
    }
    std::sort(all.begin(), all.end());
    return all;
}

// A fresh Program directory, as the run sees it.
struct Folder {
    ScratchDir dir;
    std::string folder = fs::canonical(dir.path()).string() + PATH_SEPARATOR;
    int status = -1;
    std::string file(const std::string& name) const { return folder + name; }
    std::string bytes(const std::string& name = "epg.telvor") const { return read_bytes(file(name)); }
    void sample_lists() const {
        for (const char* name : {"TELVOR.filter", "TELVOR.service"}) write_bytes(file(name), sample_bytes(name));
    }
    // One run (no clipboard text: nullopt; chosen: the dialog's return); two events before Close.
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

// The sample lists and Guide text. The clipboard is emptied only of Guide text this run stored and
// still there; a silent owner is a failed step; the summary counts added, filtered and repeated.
TEST(WholeRun, AnswersAndTheClipboard) {
    const Lines records = {  // Event line, Genre line, Description line
        "05.12.2009 18:00 + Sportschau", "Genre: Sport", "Tore", "06.12.2009 20:15   Tatort", "Genre: Krimi", "Mord",
        "05.12.2009 20:15   Wetten, dass..?", "Genre: Show", "Live aus Graz. Mit G\344sten aus Film, Musik und Sport.",
        "06.12.2009 20:15   Tatort: T\366dliche Tarnung", "Genre: Krimi",
        "Kommissar Lannert ermittelt im Stuttgarter Hafen.",
        "07.12.2009 09:05   Die gro\337e Reise", "Genre: Dokumentation", "Ein Jahr auf den Spuren der Zugv\366gel.",
        "07.12.2009 19:45   Journal", "Genre: NachrichtenMagazin", "Das Neueste aus Europa.",
        "08.12.2009 19:20   Kulturzeit", "Genre: Kultur",
        "Themen: Die Weihnachtsausstellung im Louvre; B\374cher des Jahres.",
        "10.12.2009 23:15   Markus Lanz", "Genre: Talk", "G\344ste: ein Bergsteiger, eine K\366chin, ein Komiker.",
        "11.12.2009 22:15   Tagesthemen", "Genre: Nachrichten", "Mit dem Wetter."};
    const std::string before = rec(records[0], records[1], records[2]) + rec(records[3], records[4], records[5]);
    for (const auto& [answer, kind] : std::vector<std::pair<int, std::string>>{
             {NO, ""}, {CANCEL, ""}, {YES, ""}, {YES, "later copy"}, {YES, "empty"},
             {NO, "silent"}, {YES, "no window"}}) {
        SCOPED_TRACE(kind + " " + std::to_string(answer));
        Folder f;
        f.sample_lists();
        write_bytes(f.file("a b.telvor"), before);
        ScriptedWindow s;
        const std::string copied = sample_bytes("guide-webif.txt");
        if (kind == "later copy") s.later_copy = "Notiz";
        s.clipboard_silent = kind == "silent";
        s.window_fails = kind == "no window";
        const ScriptedWindow w = f.telvor(answer, kind == "empty" ? std::nullopt : std::optional(copied), {"a b.telvor"}, "", s);

        const bool stored = kind.empty() || kind == "later copy", emptied = kind.empty() && answer != CANCEL;
        std::string after;
        Lines events;
        for (size_t i = 0; i < (stored ? records.size() : 6); i += 3) {
            events.push_back(answer == YES && kind != "no window" ? marked(records[i]) : records[i]);
            after += rec(events.back(), records[i + 1], records[i + 2]);
        }
        EXPECT_EQ(f.bytes("a b.telvor"), after);
        EXPECT_EQ(folder_entries(f.folder), 3);
        const std::string clipboard = kind == "empty" ? "empty" : "not read";
        const Lines summary = stored ? Lines{events_line(7, 3, 2)}
                                     : Lines{"Clipboard: >>> " + clipboard + " <<< no guide text...", events_line(0, 0, 0)};
        EXPECT_EQ(w.lines_of(EVENT_VIEW), kind == "no window" ? Lines{} : event_view("a b.telvor", events, true, summary));
        EXPECT_EQ(w.clipboard_cleared, emptied);
        EXPECT_EQ(w.clipboard, emptied || kind == "empty" ? "" : kind == "later copy" ? "Notiz" : copied);
        EXPECT_EQ(w.questions_asked, 1);
        EXPECT_EQ(w.events_waited, answer == CANCEL || kind == "no window" ? 0 : 3);
        EXPECT_EQ(f.status, s.clipboard_silent ? EXIT_STEP_FAILED : kind == "no window" ? EXIT_NO_DISPLAY : EXIT_DONE);
        const Text silent = FAILED_STEPS + "\ncannot read the clipboard: " + CLIPBOARD_SILENT;
        EXPECT_EQ(w.messages, s.clipboard_silent ? std::vector<Text>{silent} : std::vector<Text>{});
        EXPECT_EQ(w.lists.empty() && w.frames.empty(), kind == "no window");
    }
}

// A typed name whose ".telvor" file exists means that file (a new file's header: the desktop tests).
TEST(WholeRun, EventFileChosenInTheDialog) {
    Folder f;
    const std::string old = rec("04.12.2009 18:00 + Sport", "Genre: Sport", "Tore");
    write_bytes(f.file("sport.telvor"), old);
    ScriptedWindow w = f.telvor(YES, GUIDE, {}, f.file("sport"));
    EXPECT_EQ(w.dialog_default_path.native, f.folder + "*.telvor");
    EXPECT_EQ(w.dialog_pattern, "Dateien (*.telvor)|*.telvor");
    EXPECT_EQ(folder_entries(f.folder), 1);
    EXPECT_EQ(f.bytes("sport.telvor"), old + rec("05.12.2009 08:15 + Neu", "Genre: Info", "Text"));
}

// Failed steps: nothing in the folder changes, the Guide text stays on the clipboard, one box names
// what failed in plain words (the system's own words after a ": "), and the view says so.
TEST(FailedSteps, NothingTouchedAndSaidInPlainWords) {
    const std::string own = "it is one of TELVOR's own files in the Program directory";
    const auto protect = [](Folder& g) {
        fs::permissions(g.file("epg.telvor"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    };
    struct Case {
        std::string what, said, view;  // said: the box's second line, or its start before the system's words
        std::function<void(Folder&)> set_up = [](Folder&) {};
        std::string argument = "epg.telvor", chosen = "";
    };
    Folder f;
    const std::vector<Case> cases = {
        {"a folder", "cannot read epg.telvor: it is a folder", "Not reading...",
         [](Folder& g) { fs::remove(g.file("epg.telvor")), fs::create_directory(g.file("epg.telvor")); }},
        {"missing beside a working copy", "cannot read epg.telvor: it does not exist", "Not reading...",
         [](Folder& g) { fs::rename(g.file("epg.telvor"), g.file("TELVOR.DAT")); }},
        {"the filter by a hard link", "cannot read filter-copy.telvor: " + own, "Not reading...",
         [](Folder& g) { fs::create_hard_link(g.file("TELVOR.filter"), g.file("filter-copy.telvor")); },
         "filter-copy.telvor"},
#ifndef _WIN32
        {"the filter by a link", "cannot read filter-link.telvor: " + own, "Not reading...",
         [](Folder& g) { fs::create_symlink("TELVOR.filter", g.file("filter-link.telvor")); }, "filter-link.telvor"},
#endif
        {"a leftover working file", "cannot read TELVOR.DAT: " + own, "Not reading...",
         [](Folder& g) { fs::copy_file(g.file("epg.telvor"), g.file("TELVOR.DAT")); }, "TELVOR.DAT"},
        {"a full folder as working file", "cannot create " + f.file("TELVOR.DAT") + ": ", "Not writing...",
         [](Folder& g) { fs::create_directories(g.file("TELVOR.DAT/kept")); }},
        {"write-protected", "cannot replace epg.telvor: it is write-protected", "Not writing...", protect},
        {"a new file's header", "cannot write " + f.file("neu.telvor") + ": ", "",
         [](Folder&) { os::fault_at(os::WRITE, 1); }, "", f.file("neu")},  // when its slot is closed
        {"a new file's missing folder", "cannot create " + f.file("gone/neu.telvor") + ": its folder does not exist", "",
         {}, "", f.file("gone/neu")},
        {"the current folder refused", "cannot enter the folder " + f.folder + ": no permission", "no window",
         [](Folder&) { os::fault_at(os::CHANGE_FOLDER, 1, os::Fault::fail, os::Error::refused); }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(f.folder)) fs::remove_all(entry.path());
        write_bytes(f.file("TELVOR.filter"), "Tagesschau\r\nheute\r\n");
        write_bytes(f.file("epg.telvor"), OLD_FILE);
        if (c.set_up) c.set_up(f);
        const auto before = snapshot(f.folder);
        const ScriptedWindow w =
            f.telvor(NO, GUIDE, c.argument.empty() ? std::vector<std::string>{} : std::vector{c.argument}, c.chosen);
        os::fault_clear();
        if (fs::is_regular_file(f.file("epg.telvor")))
            fs::permissions(f.file("epg.telvor"), fs::perms::owner_write, fs::perm_options::add);
        EXPECT_EQ(f.status, EXIT_STEP_FAILED);
        EXPECT_EQ(snapshot(f.folder), before);
        EXPECT_EQ(w.clipboard, GUIDE);
        const std::string shown = c.chosen.empty() ? c.argument : c.chosen;
        const Lines view = w.lines_of(EVENT_VIEW);
        if (c.view.ends_with("...")) {
            EXPECT_EQ(Lines(view.end() - 2, view.end()), notice(shown, c.view));
        }
        EXPECT_EQ(w.window_is_open || w.questions_asked > 0, c.view != "no window");
        // One box; after a new file's failure, the steps that need it may follow.
        ASSERT_EQ(w.messages.size(), 1u);
        const Text head = FAILED_STEPS + "\n" + c.said, rest = w.messages[0].substr(std::min(head.size(), w.messages[0].size()));
        const std::size_t end = rest.find('\n');  // of the line naming the failure
        EXPECT_TRUE(w.messages[0].starts_with(head) && (c.said.ends_with(": ") || end == 0 || rest.empty()) &&
                    (end == rest.npos || c.chosen.ends_with("neu")))
            << w.messages[0];
    }
}

// A live editor swap or lock file (its process runs here, or it does not say) ends the run with a
// box and nothing touched; a stale one is mentioned and the run goes on.
TEST(DataSafety, EventFileOpenInAnEditorIsLeftAlone) {
    std::string host;
    ASSERT_TRUE(os::host_name(host));
    const unsigned long long alive = this_process(), gone = 2147483000;  // no process has that number
    const auto vim = [&](unsigned long long process) {
        std::string block(1024, '\0');
        block.replace(0, 9, "b0VIM 9.0");
        for (int i = 0; i < 4; ++i) block[24 + i] = static_cast<char>(process >> (8 * i));
        block.replace(68, host.size(), host);
        return block;
    };
    const std::string emacs = "anna@" + host + "." + std::to_string(alive) + ":1700000000";
    for (const auto& [what, name, editor] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"live", ".epg.telvor.swp", "Vim"}, {"stale", ".epg.telvor.swo", "Vim"},
             {"live", ".#epg.telvor", "Emacs"}, {"says nothing", ".epg.telvor.kate-swp", "Kate"}}) {
        SCOPED_TRACE(name);
        Folder f;
        write_bytes(f.file("epg.telvor"), OLD_FILE);
#ifndef _WIN32
        if (editor == "Emacs") fs::create_symlink(emacs, f.file(name));
#endif
        if (editor != "Emacs" || !fs::is_symlink(f.file(name)))
            write_bytes(f.file(name), editor == "Vim" ? vim(what == "live" ? alive : gone) : editor == "Emacs" ? emacs : "");
        const auto before = snapshot(f.folder);
        ::testing::internal::CaptureStderr();
        const ScriptedWindow w = f.telvor(NO, GUIDE);
        const std::string errors = ::testing::internal::GetCapturedStderr();
        if (what == "stale") {
            EXPECT_EQ(f.status, EXIT_DONE);
            EXPECT_EQ(f.bytes(), OLD_FILE + rec("05.12.2009 08:15   Neu", "Genre: Info", "Text"));
            EXPECT_NE(errors.find("telvor: " + name + ": left by Vim, whose process 2147483000 no longer runs"), std::string::npos) << errors;
            continue;
        }
        EXPECT_EQ(f.status, EXIT_STEP_FAILED);
        EXPECT_EQ(snapshot(f.folder), before);
        EXPECT_EQ(w.clipboard, GUIDE);
        EXPECT_EQ(w.questions_asked, 0);
        EXPECT_EQ(w.messages, std::vector<Text>{"TELVOR leaves this Event file alone:\nepg.telvor\n" + editor +
                                                " has it open (found " + name + ").\nSave and close the file in " +
                                                editor + " first, then start TELVOR again."});
    }
}

#ifndef _WIN32
// A working file cut short by the file-size limit (a write only partly done) never replaces the Event file.
TEST(FailedSteps, WorkingFileCutShortByTheFileSizeLimit) {
    Folder f;
    const std::string big = records_past(FILE_BUFFER_SIZE);
    write_bytes(f.file("epg.telvor"), big);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const struct rlimit limit = {big.size() - 1, big.size() - 1};
        ::_exit(::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? (f.telvor(NO, GUIDE), f.status) : 99);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == EXIT_STEP_FAILED) << status;
    EXPECT_TRUE(f.bytes() == big);
    EXPECT_EQ(folder_entries(f.folder), 1);
}
#endif

// 50001 records fill every slot of the Event store; past them the Repeat test and the empty Event
// text still drop records; the view (25 rows) ends on the summary.
TEST(LongLists, EventStoreKeepsEveryEvent) {
    const std::string x(150, 'x');
    std::string file, expected;
    for (int i = 0; i <= 50000; ++i) {
        const std::string line = "01.01.2010 10:00   Folge " + std::to_string(i) + (i == 0 ? x : "");
        file += line + "\r\nGenre: Serie\r\nTeil\r\n";
        expected += rec(marked(line), "Genre: Serie", "Teil");
    }
    file += "02.01.2010 11:00\r\nGenre: Leer\r\nNix\r\n03.01.2010 12:00   Ende\r\nG\r\nX\r\n"
            "04.01.2010 13:00   Ende\r\nG\r\nY\r\n";
    Folder f;
    write_bytes(f.file("epg.telvor"), file);
    ScriptedWindow w = f.telvor(YES, std::nullopt);
    EXPECT_TRUE(f.bytes() == expected + rec("03.01.2010 12:00 + Ende", "G", "X"));  // no diff of large texts
    EXPECT_EQ(w.lists.at(EVENT_VIEW).top, static_cast<int>(w.lines_of(EVENT_VIEW).size()) - 25);
    EXPECT_EQ(w.lines_of(EVENT_VIEW).at(4), marked("01.01.2010 10:00   Folge 0" + x).substr(0, 130));
}

#ifndef _WIN32
// Names Windows-1252 cannot hold are used as given, never the decoy that shows the same; views show "?".
TEST(DataSafety, NamesOutsideWindows1252AreUsedAsGiven) {
    Folder f;
    const std::string lodz = f.file("\xC5\x81\xC3\xB3\x64\xC5\xBA/"), decoy = f.file("?\xC3\xB3\x64?/");
    for (const std::string& folder : {lodz, decoy}) {
        fs::create_directory(folder);
        write_bytes(folder + "TELVOR.filter", folder == lodz ? "Neu\r\n" : "Alt\r\n");
        for (const char* name : {"epg.telvor", "ev?.telvor", "ev\xE4.telvor"})
            write_bytes(folder + name, OLD_FILE);
    }
    const auto decoys = snapshot(decoy);
    f.folder = lodz;
    ScriptedWindow w = f.telvor(NO, GUIDE);
    EXPECT_EQ(f.status, EXIT_DONE);
    EXPECT_EQ(w.lines_of(FILTER_VIEW)[4], "Neu");
    EXPECT_EQ(f.bytes(), OLD_FILE);
    w = f.telvor(YES, "Sa. 5.12.2009\tMehr\r\n8:15\t30 min.\tX\r\n8:45\tY\r\n", {"ev\xE4.telvor"});
    EXPECT_EQ(f.status, EXIT_DONE);
    EXPECT_EQ(f.bytes("ev\xE4.telvor"), OLD_FILE + rec("05.12.2009 08:15 + Mehr", "Genre: X", "Y"));
    EXPECT_EQ(w.lines_of(EVENT_VIEW)[2], "File: >>> ev?.telvor <<< writing...");
    EXPECT_EQ(f.bytes("ev?.telvor"), OLD_FILE);
    EXPECT_EQ(snapshot(decoy), decoys);
}
#endif
