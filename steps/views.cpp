#include "steps/views.h"

#include "steps/run_state.h"
#include "ui/window.h"

int main_window_open() {
    return window_open(MAIN_WINDOW, 100, 200, MAIN_WINDOW_WIDTH, MAIN_WINDOW_HEIGHT,
                       g_run.version_text + WINDOW_TITLE_TAIL, MAIN_WINDOW_FLAGS);
}

void views_create() {
    list_create(FILTER_VIEW, 10, 15, 305, 122);
    frame_create(FILTER_FRAME, 6, 0, 314, 139, " Filter ");
    list_create(SERVICE_VIEW, 328, 15, 305, 122);
    frame_create(SERVICE_FRAME, 324, 0, 314, 139, " Service ");

    view_add(FILTER_VIEW, g_run.author_credit_line);
    view_add(SERVICE_VIEW, g_run.author_credit_line);
    view_add(FILTER_VIEW, g_run.separator_line);
    view_add(SERVICE_VIEW, g_run.separator_line);
    view_add(FILTER_VIEW, progress_file_line("TELVOR.filter", "reading..."));
    view_add(SERVICE_VIEW, progress_file_line("TELVOR.service", "reading..."));
    view_add(FILTER_VIEW, g_run.separator_line);
    view_add(SERVICE_VIEW, g_run.separator_line);

    list_create(EVENT_VIEW, 10, 157, 623, 329);
    frame_create(EVENT_FRAME, 6, 141, 632, 347, " Event - Information ");
}

void view_add(int view, std::string_view line) { list_add_line(view, -1, line); }

void show_event(std::string_view event_line) {
    view_add(EVENT_VIEW, event_line.substr(0, EVENT_VIEW_WIDTH));
    g_run.last_shown_text.assign(event_line);
}

void view_show_last_shown(int view) {
    list_show_text(view, g_run.last_shown_text);
    list_set_selection(view, -1);
}

Text progress_file_line(const Text& name, const Text& what) {
    return "File: >>> " + name + " <<< " + what;
}

void event_view_head_lines() {
    view_add(EVENT_VIEW, g_run.author_credit_line);
    view_add(EVENT_VIEW, g_run.separator_line);
    view_add(EVENT_VIEW, progress_file_line(g_run.event_file_name, "writing..."));
    view_add(EVENT_VIEW, g_run.separator_line);
}

void event_view_closing_lines() {
    view_add(EVENT_VIEW, g_run.separator_line);
    view_add(EVENT_VIEW, progress_file_line(g_run.event_file_name, "new created..."));
    view_add(EVENT_VIEW, g_run.separator_line);
}

void event_view_failure_lines(const Text& what) {
    view_add(EVENT_VIEW, progress_file_line(g_run.event_file_name, what));
    view_add(EVENT_VIEW, g_run.separator_line);
}

void event_view_summary_lines() {
    if (g_run.summary_lines.empty()) return;
    for (const Text& line : g_run.summary_lines) view_add(EVENT_VIEW, line);
    view_add(EVENT_VIEW, g_run.separator_line);
    // The view stays where the Last shown text brought it, unless that
    // leaves the summary below its visible rows.
    list_set_selection(EVENT_VIEW, list_line_count(EVENT_VIEW) - 1);
    list_set_selection(EVENT_VIEW, -1);
}
