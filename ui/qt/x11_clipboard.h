// The X11 clipboard (the CLIPBOARD selection) read and cleared over a
// connection of its own to the display, with a time limit on the whole read.
//
// Qt's own read waits up to five seconds for every request it makes of the
// program that holds the clipboard, and makes several; here one deadline
// bounds all of them, and Qt's event handling is not involved.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct X11ClipboardText {
    bool answered = false;  // false: no answer before the deadline (or no display)
    std::string utf8;       // the text; empty when the clipboard holds none
    std::uint32_t time = 0; // the server time the read began at
};

// Reads the clipboard's text from the display named by DISPLAY.
X11ClipboardText x11_clipboard_read(std::chrono::steady_clock::time_point deadline);
// Takes the clipboard from its owner, leaving it empty, unless it changed
// hands after the server time given (0: whatever holds it). True when the
// request reached the display.
bool x11_clipboard_clear(std::uint32_t unless_changed_after);
