#include "steps/views.h"

#include "steps/run_state.h"
#include "ui/window.h"

namespace {

void list_create(int number, const Placement& at) { ::list_create(number, at.x, at.y, at.width, at.height); }
void frame_create(int number, const Placement& at, const Text& caption) {
    ::frame_create(number, at.x, at.y, at.width, at.height, caption);
}

}  // namespace

int main_window_open() {
    const Placement& at = MAIN_WINDOW_PLACEMENT;
    return window_open(MAIN_WINDOW, at.x, at.y, at.width, at.height, VERSION_TEXT + Text(WINDOW_TITLE_TAIL),
                       MAIN_WINDOW_FLAGS);
}

void views_create() {
    list_create(FILTER_VIEW, FILTER_VIEW_PLACEMENT);
    frame_create(FILTER_FRAME, FILTER_FRAME_PLACEMENT, " Filter ");
    list_create(SERVICE_VIEW, SERVICE_VIEW_PLACEMENT);
    frame_create(SERVICE_FRAME, SERVICE_FRAME_PLACEMENT, " Service ");

    view_add(FILTER_VIEW, AUTHOR_CREDIT_LINE);
    view_add(SERVICE_VIEW, AUTHOR_CREDIT_LINE);
    view_add(FILTER_VIEW, SEPARATOR_LINE);
    view_add(SERVICE_VIEW, SEPARATOR_LINE);
    view_add(FILTER_VIEW, progress_file_line("TELVOR.filter", "reading..."));
    view_add(SERVICE_VIEW, progress_file_line("TELVOR.service", "reading..."));
    view_add(FILTER_VIEW, SEPARATOR_LINE);
    view_add(SERVICE_VIEW, SEPARATOR_LINE);

    list_create(EVENT_VIEW, EVENT_VIEW_PLACEMENT);
    frame_create(EVENT_FRAME, EVENT_FRAME_PLACEMENT, " Event - Information ");
}

void view_add(int view, std::string_view line) { list_add_line(view, -1, line); }

void show_event(std::string_view event_line, Text& last_shown) {
    view_add(EVENT_VIEW, event_line.substr(0, EVENT_VIEW_WIDTH));
    last_shown.assign(event_line);
}

void view_show_last_shown(int view, const Text& last_shown) {
    list_show_text(view, last_shown);
    list_set_selection(view, -1);
}

Text progress_file_line(const Text& name, const Text& what) {
    return "File: >>> " + name + " <<< " + what;
}

void event_view_head_lines(const Text& event_file_name) {
    view_add(EVENT_VIEW, AUTHOR_CREDIT_LINE);
    view_add(EVENT_VIEW, SEPARATOR_LINE);
    view_add(EVENT_VIEW, progress_file_line(event_file_name, "writing..."));
    view_add(EVENT_VIEW, SEPARATOR_LINE);
}

void event_view_closing_lines(const Text& event_file_name) {
    view_add(EVENT_VIEW, SEPARATOR_LINE);
    view_add(EVENT_VIEW, progress_file_line(event_file_name, "new created..."));
    view_add(EVENT_VIEW, SEPARATOR_LINE);
}

void event_view_failure_lines(const Text& event_file_name, const Text& what) {
    view_add(EVENT_VIEW, progress_file_line(event_file_name, what));
    view_add(EVENT_VIEW, SEPARATOR_LINE);
}

void event_view_summary_lines(const std::vector<Text>& summary_lines) {
    if (summary_lines.empty()) return;
    for (const Text& line : summary_lines) view_add(EVENT_VIEW, line);
    view_add(EVENT_VIEW, SEPARATOR_LINE);
    // The view stays where the Last shown text brought it, unless that
    // leaves the summary below its visible rows.
    list_set_selection(EVENT_VIEW, list_line_count(EVENT_VIEW) - 1);
    list_set_selection(EVENT_VIEW, -1);
}
