// The main window's gadgets and the Progress lines of the three views.
#pragma once

#include <string_view>
#include <vector>

#include "base/text.h"
#include "ui/window.h"

// The window, the three list views and their frames, by number.
enum : int { MAIN_WINDOW = 0 };
enum : int { FILTER_VIEW = 0, EVENT_VIEW = 1, SERVICE_VIEW = 2 };
enum : int { FILTER_FRAME = 10, EVENT_FRAME = 11, SERVICE_FRAME = 12 };

// Where a window or gadget lies and how large it is inside, in pixels.
struct Placement {
    int x, y, width, height;
};
// The main window (its place where it is not centred) and its
// gadgets: the Filter and Service views side by side above the Event view,
// each in its frame.
inline constexpr Placement MAIN_WINDOW_PLACEMENT = {100, 200, 644, 495};
inline constexpr Placement FILTER_VIEW_PLACEMENT = {10, 15, 305, 122};
inline constexpr Placement FILTER_FRAME_PLACEMENT = {6, 0, 314, 139};
inline constexpr Placement SERVICE_VIEW_PLACEMENT = {328, 15, 305, 122};
inline constexpr Placement SERVICE_FRAME_PLACEMENT = {324, 0, 314, 139};
inline constexpr Placement EVENT_VIEW_PLACEMENT = {10, 157, 623, 329};
inline constexpr Placement EVENT_FRAME_PLACEMENT = {6, 141, 632, 347};
// The characters of an Event line the Event view shows; the Service view's
// line of the first name, below its four start lines.
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
// Shows the first EVENT_VIEW_WIDTH characters of an Event line in the Event
// view, an event accepted or marked, and makes the whole line the Last
// shown text.
void show_event(std::string_view event_line, Text& last_shown);
// Scrolls a view to the first line equal to the Last shown text (letter case
// ignored) without leaving it selected.
void view_show_last_shown(int view, const Text& last_shown);
// "File: >>> " + name + " <<< " + what.
Text progress_file_line(const Text& name, const Text& what);
// The four head lines of a step that writes the Event file (shown by name).
void event_view_head_lines(const Text& event_file_name);
// The closing lines of a step that replaced the Event file.
void event_view_closing_lines(const Text& event_file_name);
// The run's summary lines (if any) and a Separator line, scrolled into view.
void event_view_summary_lines(const std::vector<Text>& summary_lines);
// The line and the Separator line of a step that could not read the Event
// file ("Not reading...") or could not replace it ("Not writing...").
void event_view_failure_lines(const Text& event_file_name, const Text& what);
