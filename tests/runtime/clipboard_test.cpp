// Whether the clipboard still holds what the capture read, the decision
// behind emptying it at the end of a run.
#include <gtest/gtest.h>

#include <string>

#include "runtime/window.h"

namespace {

ClipboardReading read(const std::string& utf8, unsigned long long sequence = 0,
                      const Text& shown = "") {
    ClipboardReading reading;
    reading.read = true;
    reading.text = shown.empty() ? utf8 : shown;
    reading.fingerprint = clipboard_fingerprint(utf8);
    reading.sequence = sequence;
    return reading;
}

ClipboardReading sequence_only(unsigned long long sequence) {
    ClipboardReading reading;
    reading.sequence = sequence;
    return reading;
}

}  // namespace

// Without a count of changes (X11, Wayland) the text read again decides:
// the same text down to characters Windows-1252 cannot show, and to its
// length. A clipboard that cannot be read again, or a capture that read
// nothing, never counts as holding it.
TEST(ClipboardHolds, TheSameTextReadAgain) {
    const ClipboardReading captured = read("Sa. 5.12.2009\tTatort\r\n");
    EXPECT_TRUE(clipboard_holds(captured, read("Sa. 5.12.2009\tTatort\r\n")));
    EXPECT_FALSE(clipboard_holds(captured, read("Sa. 5.12.2009\tTatort\r\n\r\n")));
    EXPECT_FALSE(clipboard_holds(captured, read("Notiz")));
    EXPECT_FALSE(clipboard_holds(read("A \xE2\x86\x92 B", 0, "A ? B"), read("A \xE2\x86\x90 B", 0, "A ? B")));
    EXPECT_FALSE(clipboard_holds(captured, ClipboardReading{}));
    EXPECT_FALSE(clipboard_holds(ClipboardReading{}, ClipboardReading{}));
    EXPECT_FALSE(clipboard_holds(read(std::string("a\0", 2)), read("a")));
}

// With a count of changes (Windows): an unchanged count holds without a
// second read; after a change the same text still holds, another does not.
TEST(ClipboardHolds, AnUnchangedCountOrTheSameText) {
    const ClipboardReading captured = read("Sa. 5.12.2009", 41);
    EXPECT_TRUE(clipboard_holds(captured, sequence_only(41)));
    EXPECT_FALSE(clipboard_holds(captured, sequence_only(42)));
    EXPECT_TRUE(clipboard_holds(captured, read("Sa. 5.12.2009", 43)));
    EXPECT_FALSE(clipboard_holds(captured, read("Notiz", 43)));
    EXPECT_FALSE(clipboard_holds(read("Sa. 5.12.2009", 0), sequence_only(0)));
}
