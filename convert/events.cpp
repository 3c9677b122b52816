#include "convert/events.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "app/run_state.h"
#include "app/views.h"
#include "runtime/file.h"

namespace {

std::uint64_t trie_key(std::int32_t node, unsigned char byte) {
    return (static_cast<std::uint64_t>(node) << 8) | byte;
}

// The part of an Event line that makes a repeat: its first 200 characters
// from character 20 on (empty for a line without Event text).
std::string_view event_text_key(const Text& event_line) {
    if (event_line.size() < EVENT_TEXT_START) return {};
    return std::string_view(event_line).substr(EVENT_TEXT_START - 1, EVENT_TEXT_COMPARED);
}

std::uint32_t key_hash(std::string_view key) {
    const std::size_t h = std::hash<std::string_view>{}(key);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

// The entry holding key, or the free entry where it belongs.
std::size_t stored_event_entry(std::string_view key, std::uint32_t hash) {
    const std::size_t mask = run.stored_events.size() - 1;
    std::size_t i = hash & mask;
    for (;;) {
        const RunState::StoredEvent& entry = run.stored_events[i];
        if (entry.slot < 0) return i;
        if (entry.hash == hash &&
            event_text_key(run.event_store[static_cast<std::size_t>(entry.slot)]) == key)
            return i;
        i = (i + 1) & mask;
    }
}

// Keeps the table at most half full, sized for a full store from the start.
void stored_events_make_room() {
    std::size_t wanted = run.stored_events.size();
    if (wanted == 0) {
        wanted = 1;
        while (wanted < 2 * (static_cast<std::size_t>(run.event_store_capacity) + 1)) wanted <<= 1;
    }
    while (2 * (static_cast<std::size_t>(run.stored_event_count) + 1) > wanted) wanted <<= 1;
    if (wanted == run.stored_events.size()) return;
    std::vector<RunState::StoredEvent> old(wanted);
    old.swap(run.stored_events);
    for (const RunState::StoredEvent& entry : old) {
        if (entry.slot < 0) continue;
        std::size_t i = entry.hash & (wanted - 1);
        while (run.stored_events[i].slot >= 0) i = (i + 1) & (wanted - 1);
        run.stored_events[i] = entry;
    }
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
    const std::string_view probe = event_text_key(event_line);
    // An empty Event text equals an empty slot, and a slot stays empty
    // until an event with Event text fills it.
    if (probe.empty()) return true;
    if (run.stored_event_count == 0) return false;
    return run.stored_events[stored_event_entry(probe, key_hash(probe))].slot >= 0;
}

void accept_event(const Text& event_line) {
    const size_t slot = static_cast<size_t>(run.slot_index);
    if (slot >= run.event_store.size()) run.event_store.resize(std::max(slot + 1, run.event_store.size() * 2));
    run.event_store[slot] = event_line;
    const std::string_view key = event_text_key(event_line);
    stored_events_make_room();
    const std::uint32_t hash = key_hash(key);
    RunState::StoredEvent& entry = run.stored_events[stored_event_entry(key, hash)];
    if (entry.slot < 0) {
        entry = {hash, static_cast<std::int32_t>(slot)};
        run.stored_event_count++;
    }
    file_write_line(DATA_SLOT, event_line);
    view_add(EVENT_VIEW, text_mid(event_line, 1, EVENT_VIEW_WIDTH));
    run.last_shown_text = event_line;
}

void advance_slot_index() { run.slot_index++; }

bool is_event_line(const Text& line) {
    return text_mid(line, 3, 1) == "." && text_mid(line, 14, 1) == ":";
}
