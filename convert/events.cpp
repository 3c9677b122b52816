#include "convert/events.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "run/run_state.h"
#include "run/views.h"
#include "runtime/file.h"

namespace {

// Lookups beside the Filter list and the Event store, so that each event is
// tested in time independent of the number of filter terms and of stored
// events.
struct EventIndex {
    // The Filter terms as a trie: (node << 8 | byte) -> node.
    std::unordered_map<std::uint64_t, std::int32_t> filter_trie;
    std::vector<unsigned char> filter_term_ends;  // node ends a filter term
    // The filled Event store slots by the hash of their Event text (its
    // first 200 characters): open addressing, no entry allocated per event.
    struct StoredEvent {
        std::uint32_t hash = 0;
        std::int32_t slot = -1;  // index into the Event store; -1: free entry
    };
    std::vector<StoredEvent> stored_events;
    std::int32_t stored_event_count = 0;
};

EventIndex g_index;

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
    const std::size_t mask = g_index.stored_events.size() - 1;
    std::size_t i = hash & mask;
    for (;;) {
        const EventIndex::StoredEvent& entry = g_index.stored_events[i];
        if (entry.slot < 0) return i;
        if (entry.hash == hash &&
            event_text_key(g_run.event_store[static_cast<std::size_t>(entry.slot)]) == key)
            return i;
        i = (i + 1) & mask;
    }
}

// Keeps the table at most half full, sized for a full store from the start.
void stored_events_make_room() {
    std::size_t wanted = g_index.stored_events.size();
    if (wanted == 0) {
        wanted = 1;
        while (wanted < 2 * (static_cast<std::size_t>(g_run.event_store_capacity) + 1)) wanted <<= 1;
    }
    while (2 * (static_cast<std::size_t>(g_index.stored_event_count) + 1) > wanted) wanted <<= 1;
    if (wanted == g_index.stored_events.size()) return;
    std::vector<EventIndex::StoredEvent> old(wanted);
    old.swap(g_index.stored_events);
    for (const EventIndex::StoredEvent& entry : old) {
        if (entry.slot < 0) continue;
        std::size_t i = entry.hash & (wanted - 1);
        while (g_index.stored_events[i].slot >= 0) i = (i + 1) & (wanted - 1);
        g_index.stored_events[i] = entry;
    }
}

}  // namespace

void event_tests_prepare() {
    g_index = EventIndex{};
    g_index.filter_term_ends.assign(1, 0);
    for (int i = 0; i < g_run.filter_count; ++i) {
        const Text& term = g_run.filter_list[static_cast<size_t>(i)];
        std::int32_t node = 0;
        for (unsigned char byte : term) {
            auto [it, added] = g_index.filter_trie.try_emplace(
                trie_key(node, byte), static_cast<std::int32_t>(g_index.filter_term_ends.size()));
            if (added) g_index.filter_term_ends.push_back(0);
            node = it->second;
        }
        // An empty term ends at the root: it begins every Event text.
        g_index.filter_term_ends[static_cast<size_t>(node)] = 1;
    }
}

bool filter_test(const Text& event_line) {
    // Walks the Event text along the terms: a hit as soon as a term ends.
    if (!g_index.filter_term_ends.empty() && g_index.filter_term_ends[0]) return true;
    if (g_index.filter_trie.empty()) return false;
    std::int32_t node = 0;
    for (size_t i = EVENT_TEXT_START - 1; i < event_line.size(); ++i) {
        auto it = g_index.filter_trie.find(trie_key(node, static_cast<unsigned char>(event_line[i])));
        if (it == g_index.filter_trie.end()) return false;
        node = it->second;
        if (g_index.filter_term_ends[static_cast<size_t>(node)]) return true;
    }
    return false;
}

bool repeat_test(const Text& event_line) {
    const std::string_view probe = event_text_key(event_line);
    // An empty Event text equals an empty slot, and a slot stays empty
    // until an event with Event text fills it.
    if (probe.empty()) return true;
    if (g_index.stored_event_count == 0) return false;
    return g_index.stored_events[stored_event_entry(probe, key_hash(probe))].slot >= 0;
}

void accept_event(const Text& event_line) {
    g_run.event_store.push_back(event_line);
    const std::string_view key = event_text_key(event_line);
    stored_events_make_room();
    const std::uint32_t hash = key_hash(key);
    EventIndex::StoredEvent& entry = g_index.stored_events[stored_event_entry(key, hash)];
    if (entry.slot < 0) {
        entry = {hash, static_cast<std::int32_t>(g_run.event_store.size() - 1)};
        g_index.stored_event_count++;
    }
    file_write_line(DATA_SLOT, event_line);
    view_add(EVENT_VIEW, text_mid(event_line, 1, EVENT_VIEW_WIDTH));
    g_run.last_shown_text = event_line;
}

void advance_slot_index() { g_run.slot_index++; }

bool is_event_line(const Text& line) {
    return text_mid(line, 3, 1) == "." && text_mid(line, 14, 1) == ":";
}
