// Window services without a display, driven by a script set beforehand; every view's lines,
// selection and scroll position kept. No count of clipboard changes, as on X11.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "ui/window.h"

struct ScriptedList {
    int height = 0;
    std::vector<Text> lines;
    int selection = -1;  // selected line, -1 for none
    int top = 0;         // first visible line
    int visible_rows() const;
};

class ScriptedWindow : public WindowServices {
public:
    // The script.
    bool window_fails = false;
    bool clipboard_has_text = false;
    Text clipboard;                 // what the clipboard holds while it has text
    bool clipboard_silent = false;  // its owner never hands the text over
    bool german = false;            // the desktop speaks German
    std::optional<Text> later_copy; // copied by the user while the question is open
    Path chosen_path;               // what the open-file dialog returns (empty = cancelled)
    int answer = ANSWER_CANCEL;     // the button chosen in the question
    int events_before_close = 1;    // other events delivered before the Close event
    bool keep_lines = true;         // false: the views' lines are not kept (a timed run)

    // What happened.
    bool window_is_open = false;
    std::map<int, ScriptedList> lists;
    std::map<int, Text> frames;     // captions by gadget number
    int questions_asked = 0;        // message boxes with Yes, No and Cancel
    std::vector<Text> messages;     // the texts of the other message boxes
    Text dialog_title, dialog_pattern;
    Path dialog_default_path;
    bool clipboard_cleared = false;
    int events_waited = 0;

    // The lines of a view ({} when it does not exist).
    std::vector<Text> lines_of(int number) const;

    TELVOR_WINDOW_SERVICES_OVERRIDES;

private:
    ScriptedList* find_list(int number);
};
