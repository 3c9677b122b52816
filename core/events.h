// Which events survive a run: the Filter test and the Repeat test over the
// Event store. The Event line's layout is in core/event_line.h.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/hash.h"
#include "base/text.h"
#include "base/text_arena.h"

// The Filter terms as a trie, so that an event is tested in time
// independent of the number of terms: edges (node, byte) -> node in one
// hash table.
struct FilterIndex {
    HashTable<std::uint64_t> edges;     // (1 + the node an edge leaves) << 8 | its byte
    std::vector<std::int32_t> targets;  // the node it leads to, place for place
    std::vector<unsigned char> term_ends;  // node ends a Filter term
};

// The Filter test's lookup over the terms.
FilterIndex filter_index_build(const std::vector<Text>& terms);
// Hit when the Event text begins with a Filter term (exact, case-sensitive).
bool filter_test(const FilterIndex& index, std::string_view event_line);

// The Event store: what the Repeat test compares of the Event lines accepted
// in a conversion (the first 200 characters of their Event text), kept in
// an arena, each behind its length, and found through a table of their
// hashes. A bitmap of the hashes seen (two bits per hash, in one word)
// answers most tests for a new text with one fetch from memory; such a text
// goes into the table with the next few, whose places in the table are
// fetched meanwhile.
struct EventStore {
    TextArena keys;
    std::size_t count = 0;  // texts stored
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t text = 0;  // 1 + the text's place in keys; 0 for a free slot
        // Both halves at once, for the table's test of a free slot.
        bool operator==(const Slot& other) const {
            return std::bit_cast<std::uint64_t>(*this) == std::bit_cast<std::uint64_t>(other);
        }
    };
    HashTable<Slot> table;            // at most half full
    std::vector<std::uint64_t> seen;  // four bits per table slot
    std::vector<Slot> waiting;        // stored texts not yet in the table
};

// The Repeat test: hit (true) when the first 200 characters of the Event
// text equal those of a stored event; an Event line without Event text
// always hits (it equals an empty slot of the store). On no hit the line is
// stored, as Accept would store it.
bool repeat_test_or_store(EventStore& store, std::string_view event_line);
