// What the window services of either platform share: whether the
// clipboard still holds what the capture read (the decision behind emptying
// it at the end of a run), what the open-file dialog begins with, and the
// German words of the messages.
#include <gtest/gtest.h>

#include <string>

#include "support/scripted_window.h"
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
    EXPECT_FALSE(clipboard_holds(captured, read("Sa. 5.12.2009\tTatort\r\n\r\n")));
    EXPECT_FALSE(clipboard_holds(read("A \xE2\x86\x92 B", 0, "A ? B"), read("A \xE2\x86\x90 B", 0, "A ? B")));
    EXPECT_FALSE(clipboard_holds(read(std::string("a\0", 2)), read("a")));
    EXPECT_FALSE(clipboard_holds(captured, ClipboardReading{}));
    EXPECT_FALSE(clipboard_holds(ClipboardReading{}, ClipboardReading{}));
    EXPECT_FALSE(clipboard_holds(count_only(41), count_only(41)));
    EXPECT_TRUE(clipboard_holds(counted, count_only(41)));
    EXPECT_FALSE(clipboard_holds(counted, count_only(42)));
    EXPECT_TRUE(clipboard_holds(counted, read("Sa. 5.12.2009", 43)));
    EXPECT_FALSE(clipboard_holds(counted, read("Notiz", 43)));
    EXPECT_FALSE(clipboard_holds(read("Sa. 5.12.2009"), count_only(0)));
}

TEST(OpenDialog, FolderAndPresetNameOfTheDefaultPath) {
    struct Case {
        const char* path;
        bool windows_names;
        const char* folder;
        const char* name;
    };
    for (const Case& c : {Case{"/home/anna/TELVOR/*.telvor", false, "/home/anna/TELVOR", ""},
                          Case{"/week49.telvor", false, "/", "week49.telvor"},
                          Case{"week49.telvor", false, "", "week49.telvor"},
                          Case{"/a/M\xC3\xA4rz.telvor", false, "/a", "M\xC3\xA4rz.telvor"},
                          Case{"/a/x\\y.telvor", false, "/a", ""},
                          Case{"/a/", false, "/a", ""},
                          Case{"C:\\TELVOR\\*.telvor", true, "C:\\TELVOR", ""},
                          Case{"C:\\week49.telvor", true, "C:\\", "week49.telvor"},
                          Case{"C:/TELVOR/a.telvor", true, "C:/TELVOR", "a.telvor"},
                          Case{"\\week49.telvor", true, "\\", "week49.telvor"},
                          Case{"C:week49.telvor", true, "", ""}}) {
        const DialogStart start = dialog_start(Path{c.path}, c.windows_names);
        EXPECT_EQ(start.folder, c.folder) << c.path;
        EXPECT_EQ(start.name, c.name) << c.path;
    }
    for (const char* name : {"a\"b", "a*b", "a:b", "a<b", "a>b", "a?b", "a|b", "a\x1F"})
        EXPECT_FALSE(is_valid_file_name(name)) << name;
}

// The file layer's plain reasons (fs/failure.h) have German words, shown
// where the desktop prefers German.
TEST(Translate, PlainReasonsInGerman) {
    ScriptedWindow desktop;
    window_services_install(&desktop);
    for (const bool german : {false, true}) {
        desktop.german = german;
        for (const char* plain : {"it does not exist", "its folder does not exist", "no permission", "it is write-protected",
                                  "another program has the file open", "the disk is full", "the file system is read-only"})
            EXPECT_EQ(translate(plain) != plain, german) << plain;
    }
    window_services_install(nullptr);
}

}  // namespace
