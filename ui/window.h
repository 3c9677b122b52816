// Window, list, dialog and clipboard services.
//
// The run calls the free functions below; they forward to the one set of
// window services installed for the process (the desktop window, or the
// scripted one used by tests and tools). Window 0 is the main window; list
// views and frames are gadgets addressed by small numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/path.h"
#include "base/text.h"

// The button codes, message box flags and window flags (the centring one
// aside) are the Win32 API's own values, which the Windows window services
// pass on unchanged (checked there).
enum : int {
    WINDOW_EVENT_OTHER = 0,  // any window event but a close request
    WINDOW_EVENT_CLOSE = 16,
};
// Button codes of a message box.
enum : int { ANSWER_OK = 1, ANSWER_CANCEL = 2, ANSWER_YES = 6, ANSWER_NO = 7 };
// Message box flags: the buttons (low four bits) and the icon.
enum : int { ASK_OK = 0x0, ASK_YES_NO_CANCEL = 0x3, ASK_ICON_STOP = 0x10 };

// What a read of the clipboard gave.
struct ClipboardReading {
    bool read = false;         // false: the clipboard could not be read (see failure)
    Text text;                 // its text in Windows-1252; empty when it holds none
    // clipboard_fingerprint of the whole text as the system handed it over,
    // in UTF-8: texts that look alike in Windows-1252 still tell apart, and
    // the text itself need not be kept for a later comparison.
    std::uint64_t fingerprint = 0;
    // The platform's count of clipboard changes when the read began; 0 where
    // the platform keeps none.
    unsigned long long sequence = 0;
    Text failure;              // why it could not be read: one line, in English
};

// A 64-bit fingerprint of a text (text_hash of its bytes).
std::uint64_t clipboard_fingerprint(std::string_view content);

// Why a clipboard read failed, as the window services say it.
extern const char* const CLIPBOARD_SILENT;      // the owner did not hand over its text in time
extern const char* const CLIPBOARD_NO_FOCUS;    // the window system gave it only to the focused window
extern const char* const CLIPBOARD_HELD_OPEN;   // another program kept it open

enum : unsigned {
    WINDOW_FLAG_CENTRE = 0x1,
    WINDOW_FLAG_CAPTION = 0xC00000,
    WINDOW_FLAG_SYSMENU = 0x80000,
    WINDOW_FLAG_MINIMIZEBOX = 0x20000,
};

// What a platform's window system provides. The free functions below keep
// every list's lines themselves and check line numbers against them, so an
// implementation is only ever given a position or line that exists (or -1
// where that is said).
class WindowServices {
public:
    virtual ~WindowServices() = default;

    // Opens the window with a client area of width x height; nonzero on success.
    virtual int window_open(int number, int x, int y, int width, int height,
                            const Text& title, unsigned flags) = 0;
    // Why the last window_open failed, one line ("" when it did not fail).
    virtual Text window_failure_reason() = 0;
    // A gadget made under a number replaces the gadget of that number.
    virtual int list_create(int number, int x, int y, int width, int height) = 0;
    virtual int frame_create(int number, int x, int y, int width, int height,
                             const Text& caption) = 0;
    // Inserts a line before line position (the line count appends). Does not
    // scroll. Nonzero when the line was added.
    virtual int list_add_line(int number, int position, std::string_view text) = 0;
    // Selects a line and scrolls it into view; -1 removes the selection and
    // keeps the scroll position.
    virtual void list_set_selection(int number, int line) = 0;
    // Replaces the text of a line in place.
    virtual void list_set_line(int number, int line, std::string_view text) = 0;
    virtual void list_clear(int number) = 0;
    // Modal message box with the buttons and icon of flags; returns the
    // code of the button chosen (ANSWER_CANCEL for Esc and the close box).
    virtual int message_box(const Text& title, const Text& text, int flags) = 0;
    // Modal open-file dialog; the full path picked or typed, empty on cancel.
    virtual Path choose_file_to_open(const Text& title, const Path& default_path,
                                     const Text& pattern, int pattern_index) = 0;
    // Reads the clipboard's text; an owner that has not handed it over after
    // milliseconds in all (every request and wait together) is given up on.
    virtual ClipboardReading clipboard_get_text(int milliseconds) = 0;
    // The platform's count of clipboard changes; 0 where it keeps none.
    virtual unsigned long long clipboard_sequence() = 0;
    virtual int clipboard_clear() = 0;
    // Whether the desktop's language for the program's own messages is
    // German.
    virtual bool prefers_german() = 0;
    // Waits for the next window event; WINDOW_EVENT_CLOSE for a close request.
    virtual int window_wait_event() = 0;
};

// The overrides every implementation declares, in its class body.
#define TELVOR_WINDOW_SERVICES_OVERRIDES                                                     \
    int window_open(int number, int x, int y, int width, int height, const Text& title,     \
                    unsigned flags) override;                                               \
    Text window_failure_reason() override;                                                  \
    int list_create(int number, int x, int y, int width, int height) override;              \
    int frame_create(int number, int x, int y, int width, int height, const Text& caption)  \
        override;                                                                           \
    int list_add_line(int number, int position, std::string_view text) override;            \
    void list_set_selection(int number, int line) override;                                 \
    void list_set_line(int number, int line, std::string_view text) override;               \
    void list_clear(int number) override;                                                   \
    int message_box(const Text& title, const Text& text, int flags) override;               \
    Path choose_file_to_open(const Text& title, const Path& default_path, const Text& pattern, \
                             int pattern_index) override;                                   \
    ClipboardReading clipboard_get_text(int milliseconds) override;                         \
    unsigned long long clipboard_sequence() override;                                       \
    int clipboard_clear() override;                                                         \
    bool prefers_german() override;                                                         \
    int window_wait_event() override


// Installs the services the free functions use. With none installed
// (nullptr) nothing is shown: window_open and the gadget calls fail with 0,
// a message box answers ANSWER_CANCEL, the dialog and the clipboard give
// nothing, a text is not translated, and window_wait_event reports the
// Close event.
void window_services_install(WindowServices* services);

int window_open(int number, int x, int y, int width, int height, const Text& title,
                unsigned flags);
Text window_failure_reason();
int list_create(int number, int x, int y, int width, int height);
int frame_create(int number, int x, int y, int width, int height, const Text& caption);
// Inserts text as a new line before line position; -1 appends it. Nonzero
// when it was added; a position outside the list adds nothing.
int list_add_line(int number, int position, std::string_view text);
// Selects (and so scrolls to) the first line equal to text, letter case
// ignored; no line is selected when none is equal.
void list_show_text(int number, const Text& text);
// Selects a line; -1 (or a line outside the list) removes the selection and
// keeps the scroll position.
void list_set_selection(int number, int line);
// Replaces an existing line in place; a line outside the list changes nothing.
void list_set_line(int number, int line, std::string_view text);
void list_clear(int number);
// The number of lines of a list (0 for a gadget that is no list).
int list_line_count(int number);
// The End-of-run question: a message box with Yes, No and Cancel, Yes the
// default, no icon; the code of the button chosen.
int ask_yes_no_cancel(const Text& title, const Text& text);
// A message box with the stop icon and OK alone, for why a run ends.
void show_stop_message(const Text& title, const Text& text);
Path choose_file_to_open(const Text& title, const Path& default_path, const Text& pattern,
                         int pattern_index);
ClipboardReading clipboard_get_text(int milliseconds);
// A message the program adds (none of its fixed texts) in the desktop's
// language: German where the desktop prefers it and a translation exists,
// else the text as it is.
Text translate(const Text& text);

// Whether the clipboard still holds what captured read: the count of
// changes unchanged since then where the platform keeps one, else (and when
// it changed) the same text read again in now. Nothing counts as held when
// captured was no successful read.
bool clipboard_holds(const ClipboardReading& captured, const ClipboardReading& now);
// Empties the clipboard only while it holds what captured read, read again
// (within milliseconds) where the count of changes does not tell. Nonzero
// when it was emptied.
int clipboard_clear_if_holding(const ClipboardReading& captured, int milliseconds);
int window_wait_event();
