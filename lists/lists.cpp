#include "lists/lists.h"

#include "app/run_state.h"
#include "app/views.h"
#include "convert/events.h"
#include "runtime/file.h"
#include "runtime/sort.h"
#include "runtime/window.h"

namespace {

const int LIST_SLOT = 0;
const int SHORTEST_ENTRY = 3;  // shorter lines are not entries

// Stores an entry at index count, growing the list past its start-up size
// when a file holds more entries than that.
void store_entry(std::vector<Text>& list, int index, const Text& entry) {
    if (index >= static_cast<int>(list.size())) list.resize(static_cast<size_t>(index) + 1);
    list[static_cast<size_t>(index)] = entry;
}

void closing_lines(int view, const Text& name) {
    view_add(view, run.separator_line);
    view_add(view, progress_file_line(name, "reading complete..."));
    view_add(view, run.separator_line);
}

}  // namespace

void read_filter_file() {
    if (file_open_read(LIST_SLOT, run.filter_file_path)) {
        while (!file_at_end(LIST_SLOT)) {
            run.work_line = text_trim_right(file_read_line(LIST_SLOT));
            if (text_length(run.work_line) < SHORTEST_ENTRY) continue;
            store_entry(run.filter_list, run.filter_count, run.work_line);
            run.last_shown_text = run.work_line;
            view_add(FILTER_VIEW, run.work_line);
            run.filter_count++;
        }
        file_close(LIST_SLOT);
        closing_lines(FILTER_VIEW, "TELVOR.filter");
        view_show_last_shown(FILTER_VIEW);
    } else {
        view_add(FILTER_VIEW, progress_file_line("TELVOR.filter", "Not reading..."));
        view_add(FILTER_VIEW, run.separator_line);
    }
    filter_index_build();
}

void read_service_file() {
    if (!file_open_read(LIST_SLOT, run.service_file_path)) {
        view_add(SERVICE_VIEW, progress_file_line("TELVOR.service", "Not reading..."));
        view_add(SERVICE_VIEW, run.separator_line);
        return;
    }
    while (!file_at_end(LIST_SLOT)) {
        run.work_line = text_trim_right(file_read_line(LIST_SLOT));
        if (text_length(run.work_line) < SHORTEST_ENTRY) continue;
        store_entry(run.service_list, run.service_count, run.work_line + " ");
        view_add(SERVICE_VIEW, run.work_line + " ");
        run.service_count++;
    }

    // The view shows the names ascending, in place of the file order, below
    // its four start lines.
    sort_texts(run.service_list, SORT_IGNORE_CASE, 0, run.service_count - 1);
    for (int i = 0; i < run.service_count; ++i)
        list_set_line(SERVICE_VIEW, i + 4, run.service_list[static_cast<size_t>(i)]);
    run.last_shown_text =
        run.service_count > 0 ? run.service_list[static_cast<size_t>(run.service_count - 1)] : Text();

    // Removal runs in descending order: every name before the names it begins with.
    sort_texts(run.service_list, SORT_DESCENDING | SORT_IGNORE_CASE, 0, run.service_count - 1);
    file_close(LIST_SLOT);
    closing_lines(SERVICE_VIEW, "TELVOR.service");
    view_show_last_shown(SERVICE_VIEW);
}
