#include "steps/capture.h"

#include <memory>
#include <system_error>
#include <tuple>
#include <utility>

#include "base/byte_scan.h"
#include "core/guide_lines.h"
#include "core/normalise.h"
#include "ui/window.h"

namespace {

// Whether any line of the text is a Weekday line, the first of a Guide block.
bool holds_guide_block(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = byte_scan_find(text, start, '\r', '\n');
        if (is_weekday_line(text.substr(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

// The number of lines of a text; a line end at its very end begins no line.
std::size_t line_count(std::string_view text) {
    std::size_t lines = 0;
    for (std::size_t i = byte_scan_find(text, 0, '\r', '\n'); i < text.size(); i = byte_scan_find(text, i + 1, '\r', '\n')) {
        ++lines;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return text.empty() || text.back() == '\r' || text.back() == '\n' ? lines : lines + 1;
}

// The summary line of a clipboard that held no Guide block: empty, not
// read, or so many lines of other text.
Text no_guide_text_line(const ClipboardReading& reading, std::string_view text) {
    const std::size_t lines = line_count(text);
    const Text what = !reading.read ? Text("not read")
                      : lines == 0  ? Text("empty")
                                    : std::to_string(lines) + (lines == 1 ? " line" : " lines");
    return "Clipboard: >>> " + what + " <<< no guide text...";
}

}  // namespace

Capture capture_guide_text(RunState& run, const ServiceNames& services) {
    // A clipboard that cannot be read counts as empty; the reading is kept
    // (without its text) to tell at the end whether the clipboard still
    // holds what was taken from it.
    Capture capture;
    ClipboardReading& reading = capture.reading;
    reading = clipboard_get_text(CLIPBOARD_WAIT_MS);
    if (!reading.read) run_step_failed_with(run, "read the clipboard", Path(), reading.failure);
    // The conversion reads the Event file's lines first: meanwhile a thread
    // of its own normalises the Guide text, which comes after them.
    auto normalise = [text = std::exchange(reading.text, Text()), &services]() mutable {
        Text normalised = capture_normalisation(std::move(text), services);
        const bool blocks = holds_guide_block(normalised);
        return std::pair<Text, bool>(std::move(normalised), blocks);
    };
    const auto job = std::make_shared<decltype(normalise)>(std::move(normalise));
    try {
        capture.normalising = std::async(std::launch::async, [job] { return (*job)(); });
    } catch (const std::system_error&) {
        capture.normalising = std::async(std::launch::deferred, [job] { return (*job)(); });
    }
    return capture;
}

void capture_finish(RunState& run, Capture& capture) {
    if (!capture.normalising.valid()) return;
    std::tie(capture.guide_text, capture.guide_blocks) = capture.normalising.get();
    if (!capture.guide_blocks) run.summary_lines.push_back(no_guide_text_line(capture.reading, capture.guide_text));
}
