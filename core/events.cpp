#include "core/events.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "core/event_line.h"

namespace {

std::uint64_t edge_key(std::int32_t node, unsigned char byte) {
    return (static_cast<std::uint64_t>(node) + 1) << 8 | byte;
}

std::size_t edge_slot(const FilterIndex& index, std::uint64_t key) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (index.edge_keys.size() - 1);
}

// The node an edge leads to, or -1.
std::int32_t edge_find(const FilterIndex& index, std::uint64_t key) {
    const std::size_t mask = index.edge_keys.size() - 1;
    for (std::size_t i = edge_slot(index, key);; i = (i + 1) & mask) {
        if (index.edge_keys[i] == key) return index.edge_nodes[i];
        if (index.edge_keys[i] == 0) return -1;
    }
}

// A hash of the repeat key.
std::uint32_t key_hash(std::string_view key) { return static_cast<std::uint32_t>(text_hash(key) >> 32); }

// The texts are at most 200 bytes long, counted in the arena.
static_assert(event_line::TITLE_COMPARED <= 255);

// Whether the slot holds key.
bool slot_holds(const EventStore& store, const EventStore::Slot& slot, std::string_view key, std::uint32_t hash) {
    return slot.hash == hash && text_arena_counted(store.stored[slot.text - 1]) == key;
}

// Whether the table holds key.
bool table_holds(const EventStore& store, std::string_view key, std::uint32_t hash) {
    const std::size_t mask = store.table.size() - 1;
    for (std::size_t i = hash & mask; store.table[i].text != 0; i = (i + 1) & mask)
        if (slot_holds(store, store.table[i], key, hash)) return true;
    return false;
}

// The two bits of a hash in the bitmap of hashes seen.
std::size_t seen_bit(const EventStore& store, std::uint32_t hash, int which) {
    const std::uint32_t mixed = which == 0 ? hash : (hash * 0x85EBCA6Bu) ^ (hash >> 15);
    return mixed & (store.seen.size() * 64 - 1);
}

bool seen_maybe(const EventStore& store, std::uint32_t hash) {
    for (int which : {0, 1}) {
        const std::size_t bit = seen_bit(store, hash, which);
        if (((store.seen[bit / 64] >> (bit % 64)) & 1) == 0) return false;
    }
    return true;
}

void seen_set(EventStore& store, std::uint32_t hash) {
    for (int which : {0, 1}) {
        const std::size_t bit = seen_bit(store, hash, which);
        store.seen[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
}

void table_put(EventStore& store, const EventStore::Slot& slot) {
    const std::size_t mask = store.table.size() - 1;
    std::size_t i = slot.hash & mask;
    while (store.table[i].text != 0) i = (i + 1) & mask;
    store.table[i] = slot;
}

// Puts the waiting texts into the table.
void store_settle(EventStore& store) {
    for (const EventStore::Slot& slot : store.waiting) table_put(store, slot);
    store.waiting.clear();
}

// Keeps the table at most half full once one more text is stored.
void store_make_room(EventStore& store) {
    const std::size_t count = store.stored.size();
    if (2 * (count + 1) <= store.table.size()) return;
    // Texts are numbered in 32 bits: beyond that the store has no room.
    if (count + 1 >= UINT32_MAX) throw std::bad_alloc();
    std::size_t wanted = store.table.empty() ? 1024 : store.table.size();
    while (2 * (count + 1) > wanted) wanted <<= 1;
    store_settle(store);
    std::vector<EventStore::Slot> old(wanted);
    old.swap(store.table);
    store.seen.assign(wanted * 4 / 64, 0);
    for (const EventStore::Slot& slot : old) {
        if (slot.text == 0) continue;
        table_put(store, slot);
        seen_set(store, slot.hash);
    }
}

}  // namespace

FilterIndex filter_index_build(const std::vector<Text>& terms) {
    FilterIndex index;
    index.term_ends.assign(1, 0);
    std::size_t bytes = 0;
    for (const Text& term : terms) bytes += term.size();
    std::size_t size = 16;
    while (size < 2 * bytes + 2) size <<= 1;
    index.edge_keys.assign(size, 0);
    index.edge_nodes.assign(size, 0);
    const std::size_t mask = size - 1;
    for (std::size_t t = 0; t < terms.size(); ++t) {
        std::int32_t node = 0;
        for (unsigned char byte : terms[t]) {
            const std::uint64_t key = edge_key(node, byte);
            std::size_t i = edge_slot(index, key);
            while (index.edge_keys[i] != 0 && index.edge_keys[i] != key) i = (i + 1) & mask;
            if (index.edge_keys[i] == 0) {
                index.edge_keys[i] = key;
                index.edge_nodes[i] = static_cast<std::int32_t>(index.term_ends.size());
                index.term_ends.push_back(0);
            }
            node = index.edge_nodes[i];
        }
        // An empty term ends at the root: it begins every Event text.
        index.term_ends[static_cast<std::size_t>(node)] = 1;
    }
    return index;
}

bool filter_test(const FilterIndex& index, std::string_view event_line) {
    // Walks the Event text along the terms: a hit as soon as a term ends.
    if (index.term_ends.empty()) return false;
    if (index.term_ends[0]) return true;
    std::int32_t node = 0;
    const std::string_view text = event_line::title(event_line);
    for (unsigned char byte : text) {
        node = edge_find(index, edge_key(node, byte));
        if (node < 0) return false;
        if (index.term_ends[static_cast<std::size_t>(node)]) return true;
    }
    return false;
}

bool repeat_test_or_store(EventStore& store, std::string_view event_line) {
    const std::string_view key = event_line::repeat_key(event_line);
    // An empty Event text equals an empty slot, and a slot stays empty
    // until an event with Event text fills it.
    if (key.empty()) return true;
    store_make_room(store);
    const std::uint32_t hash = key_hash(key);
    const bool maybe_seen = seen_maybe(store, hash);
    if (maybe_seen) {
        store_settle(store);
        if (table_holds(store, key, hash)) return true;
    }
    store.stored.push_back(text_arena_add_counted(store.keys, key));
    const EventStore::Slot slot{hash, static_cast<std::uint32_t>(store.stored.size())};
    seen_set(store, hash);
    if (maybe_seen) {
        table_put(store, slot);
        return false;
    }
    // Where it goes in the table is fetched now and filled in later.
    __builtin_prefetch(&store.table[hash & (store.table.size() - 1)], 1);
    store.waiting.push_back(slot);
    if (store.waiting.size() == 16) store_settle(store);
    return false;
}
