#include "convert/normalise.h"

#include <string>

#include "app/run_state.h"

namespace {

struct DateRow {
    Text find;
    Text replacement;
};

// ". 1." -> ".01." up to ". 31." -> ".31.", then ".1." -> ".01." up to ".9." -> ".09.".
std::vector<DateRow> make_date_table() {
    std::vector<DateRow> rows;
    for (int n = 1; n <= 31; ++n) {
        const std::string digits = std::to_string(n);
        rows.push_back({". " + digits + ".", "." + (n < 10 ? "0" + digits : digits) + "."});
    }
    for (int n = 1; n <= 9; ++n) {
        const std::string digit = std::to_string(n);
        rows.push_back({"." + digit + ".", ".0" + digit + "."});
    }
    return rows;
}

const std::vector<DateRow>& date_table() {
    static const std::vector<DateRow> rows = make_date_table();
    return rows;
}

}  // namespace

Text date_table_apply(const Text& text) {
    Text result = text;
    for (const DateRow& row : date_table()) {
        // Most rows find nothing: skip their pass without copying.
        if (result.find(row.find) == Text::npos) continue;
        result = text_replace_all(result, row.find, row.replacement);
    }
    return result;
}

Text service_name_removal(const Text& text) {
    Text result = text;
    for (int i = 0; i < run.service_count; ++i)
        result = text_remove_all(result, run.service_list[static_cast<size_t>(i)], true);
    return result;
}

Text capture_normalisation(const Text& guide_text) {
    Text text = text_replace_all(guide_text, " \t", " ");
    text = text_replace_all(text, "\t", " ");
    text = text_remove_all(text, "\\", false);
    text = date_table_apply(text);
    return service_name_removal(text);
}

Text line_normalisation(const Text& weekday_line) {
    Text line = text_remove_all(weekday_line, "\\", false);
    line = text_replace_all(line, "\t", " ");
    line = service_name_removal(line);
    return date_table_apply(line);
}
