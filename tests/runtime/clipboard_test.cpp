// Whether the clipboard still holds what the capture read, the decision
// behind emptying it at the end of a run.
#include <gtest/gtest.h>

#include <string>

#include "runtime/window.h"

namespace {

// A reading of utf8 (shown as shown), or with read false only the count of
// changes the platform keeps (0: none).
ClipboardReading read(const std::string& utf8, unsigned long long sequence = 0, const Text& shown = "") {
    ClipboardReading r;
    r.read = true, r.text = shown.empty() ? utf8 : shown, r.fingerprint = clipboard_fingerprint(utf8);
    r.sequence = sequence;
    return r;
}
ClipboardReading count_only(unsigned long long sequence) {
    ClipboardReading r;
    r.sequence = sequence;
    return r;
}

// Without a count of changes (X11, Wayland) the text read again decides,
// down to characters Windows-1252 cannot show and to its length; with one
// (Windows) an unchanged count holds without a second read, and after a
// change the same text still does. A clipboard that cannot be read again,
// or a capture that read nothing, never holds it.
TEST(ClipboardHolds, TheSameTextOrAnUnchangedCount) {
    const ClipboardReading captured = read("Sa. 5.12.2009\tTatort\r\n"), counted = read("Sa. 5.12.2009", 41);
    EXPECT_TRUE(clipboard_holds(captured, read("Sa. 5.12.2009\tTatort\r\n")));
    EXPECT_FALSE(clipboard_holds(captured, read("Sa. 5.12.2009\tTatort\r\n\r\n")));
    EXPECT_FALSE(clipboard_holds(read("A \xE2\x86\x92 B", 0, "A ? B"), read("A \xE2\x86\x90 B", 0, "A ? B")));
    EXPECT_FALSE(clipboard_holds(read(std::string("a\0", 2)), read("a")));
    EXPECT_FALSE(clipboard_holds(captured, ClipboardReading{}));
    EXPECT_FALSE(clipboard_holds(ClipboardReading{}, ClipboardReading{}));
    EXPECT_TRUE(clipboard_holds(counted, count_only(41)));
    EXPECT_FALSE(clipboard_holds(counted, count_only(42)));
    EXPECT_TRUE(clipboard_holds(counted, read("Sa. 5.12.2009", 43)));
    EXPECT_FALSE(clipboard_holds(counted, read("Notiz", 43)));
    EXPECT_FALSE(clipboard_holds(read("Sa. 5.12.2009", 0), count_only(0)));
}

}  // namespace
