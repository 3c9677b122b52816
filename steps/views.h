// The main window's gadgets and the Progress lines of the three views.
#pragma once

#include <string_view>

#include "base/text.h"
#include "ui/window.h"

// The window, the three list views and their frames, by number.
enum : int { MAIN_WINDOW = 0 };
enum : int { FILTER_VIEW = 0, EVENT_VIEW = 1, SERVICE_VIEW = 2 };
enum : int { FILTER_FRAME = 10, EVENT_FRAME = 11, SERVICE_FRAME = 12 };
// The inner size of the window; the characters of an Event line the Event
// view shows; the Service view's line of the first name, below its four
// start lines.
enum : int { MAIN_WINDOW_WIDTH = 644, MAIN_WINDOW_HEIGHT = 495 };
enum : int { EVENT_VIEW_WIDTH = 130, FIRST_SERVICE_LINE = 4 };
// A title bar with the system menu and a minimise box, centred on the screen.
enum : unsigned {
    MAIN_WINDOW_FLAGS =
        WINDOW_FLAG_CAPTION | WINDOW_FLAG_SYSMENU | WINDOW_FLAG_MINIMIZEBOX | WINDOW_FLAG_CENTRE
};

// Opens the main window (centred, 644 x 495 inside); nonzero on success.
int main_window_open();
// Creates the six gadgets and gives the Filter and Service views their start lines.
void views_create();
// Appends a line to a view.
void view_add(int view, std::string_view line);
// Shows the first 130 characters of an Event line in the Event view and
// makes it the Last shown text: an event accepted, or marked.
void show_event(std::string_view event_line);
// Scrolls a view to the first line equal to the Last shown text (letter case
// ignored) without leaving it selected.
void view_show_last_shown(int view);
// "File: >>> " + name + " <<< " + what.
Text progress_file_line(const Text& name, const Text& what);
// The four head lines of a step that writes the Event file.
void event_view_head_lines();
// The closing lines of a step that replaced the Event file.
void event_view_closing_lines();
// The run's summary lines (if any) and a Separator line, scrolled into view.
void event_view_summary_lines();
// The line and the Separator line of a step that could not read the Event
// file ("Not reading...") or could not replace it ("Not writing...").
void event_view_failure_lines(const Text& what);
