// What the window services of either platform share: whether the clipboard
// still holds what the capture read (the decision behind emptying it at the
// end of a run), and what the open-file dialog begins with.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "ui/open_dialog.h"
#include "ui/window.h"

namespace {

// A reading of utf8, shown in Windows-1252 as shown; sequence: the platform's count of changes (0: none).
ClipboardReading read(const std::string& utf8, unsigned long long sequence = 0, const Text& shown = "") {
    return {true, shown.empty() ? utf8 : shown, clipboard_fingerprint(utf8), sequence, ""};
}
ClipboardReading count_only(unsigned long long sequence) { return {false, "", 0, sequence, ""}; }

// Without a count of changes (X11, Wayland) the whole text read again decides; with one (Windows) an
// unchanged count, or the same text after a change. Nothing holds what could not be read.
TEST(ClipboardHolds, TheSameTextOrAnUnchangedCount) {
    const ClipboardReading captured = read("Sa. 5.12.2009\tTatort\r\n"), counted = read("Sa. 5.12.2009", 41);
    EXPECT_TRUE(clipboard_holds(captured, read("Sa. 5.12.2009\tTatort\r\n")));
    EXPECT_FALSE(clipboard_holds(read("A \xE2\x86\x92 B", 0, "A ? B"), read("A \xE2\x86\x90 B", 0, "A ? B")));
    EXPECT_FALSE(clipboard_holds(read(std::string("a\0", 2)), read("a")));
    EXPECT_FALSE(clipboard_holds(captured, ClipboardReading{}));
    EXPECT_FALSE(clipboard_holds(count_only(41), count_only(41)));
    EXPECT_TRUE(clipboard_holds(counted, count_only(41)));
    EXPECT_FALSE(clipboard_holds(counted, count_only(42)));
    EXPECT_TRUE(clipboard_holds(counted, read("Sa. 5.12.2009", 43)));
    EXPECT_FALSE(clipboard_holds(counted, read("Notiz", 43)));
    EXPECT_FALSE(clipboard_holds(read("Sa. 5.12.2009"), count_only(0)));
}

TEST(OpenDialog, FolderAndPresetNameOfTheDefaultPath) {
    using Case = std::tuple<const char*, bool, const char*, const char*>;  // path, Windows names, folder, name
    for (const auto& [path, windows_names, folder, name] : {
             Case{"/home/anna/TELVOR/*.telvor", false, "/home/anna/TELVOR", ""}, Case{"/week49.telvor", false, "/", "week49.telvor"},
             Case{"/a/x\\y.telvor", false, "/a", ""}, Case{"C:\\week49.telvor", true, "C:\\", "week49.telvor"},
             Case{"C:week49.telvor", true, "", ""}}) {
        const DialogStart start = dialog_start(Path{path}, windows_names);
        EXPECT_EQ(start.folder, folder) << path;
        EXPECT_EQ(start.name, name) << path;
    }
    EXPECT_FALSE(is_valid_file_name("a\x1F"));
}

}  // namespace
