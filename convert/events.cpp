#include "convert/events.h"

#include <algorithm>

#include "app/run_state.h"
#include "app/views.h"
#include "runtime/file.h"

namespace {

std::uint64_t trie_key(std::int32_t node, unsigned char byte) {
    return (static_cast<std::uint64_t>(node) << 8) | byte;
}

Text event_text_key(const Text& event_line) {
    return text_mid(event_line, EVENT_TEXT_START, EVENT_TEXT_COMPARED);
}

}  // namespace

void filter_index_build() {
    run.filter_trie.clear();
    run.filter_term_ends.assign(1, 0);
    for (int i = 0; i < run.filter_count; ++i) {
        const Text& term = run.filter_list[static_cast<size_t>(i)];
        std::int32_t node = 0;
        for (unsigned char byte : term) {
            auto [it, added] = run.filter_trie.try_emplace(
                trie_key(node, byte), static_cast<std::int32_t>(run.filter_term_ends.size()));
            if (added) run.filter_term_ends.push_back(0);
            node = it->second;
        }
        // An empty term ends at the root: it begins every Event text.
        run.filter_term_ends[static_cast<size_t>(node)] = 1;
    }
}

bool filter_test(const Text& event_line) {
    // Walks the Event text along the terms: a hit as soon as a term ends.
    if (!run.filter_term_ends.empty() && run.filter_term_ends[0]) return true;
    if (run.filter_trie.empty()) return false;
    std::int32_t node = 0;
    for (size_t i = EVENT_TEXT_START - 1; i < event_line.size(); ++i) {
        auto it = run.filter_trie.find(trie_key(node, static_cast<unsigned char>(event_line[i])));
        if (it == run.filter_trie.end()) return false;
        node = it->second;
        if (run.filter_term_ends[static_cast<size_t>(node)]) return true;
    }
    return false;
}

bool repeat_test(const Text& event_line) {
    const Text probe = event_text_key(event_line);
    // An empty Event text equals an empty slot, and a slot stays empty
    // until an event with Event text fills it.
    if (probe.empty()) return true;
    return run.stored_event_texts.count(probe) != 0;
}

void accept_event(const Text& event_line) {
    const size_t slot = static_cast<size_t>(run.slot_index);
    if (slot >= run.event_store.size()) run.event_store.resize(std::max(slot + 1, run.event_store.size() * 2));
    run.event_store[slot] = event_line;
    // Room for a full store at once, so the set is not rebuilt as it grows.
    if (run.stored_event_texts.empty())
        run.stored_event_texts.reserve(static_cast<size_t>(run.event_store_capacity) + 1);
    run.stored_event_texts.insert(event_text_key(event_line));
    file_write_line(DATA_SLOT, event_line);
    view_add(EVENT_VIEW, text_mid(event_line, 1, EVENT_VIEW_WIDTH));
    run.last_shown_text = event_line;
}

void advance_slot_index() { run.slot_index++; }

bool is_event_line(const Text& line) {
    return text_mid(line, 3, 1) == "." && text_mid(line, 14, 1) == ":";
}
