#include "core/events.h"

#include <cstdint>

#include "core/event_line.h"

namespace {

// The place of the edge that leaves node with byte, or of the free entry
// where it would go.
std::uint64_t edge_key(std::int32_t node, unsigned char byte) {
    return (static_cast<std::uint64_t>(node) + 1) << 8 | byte;
}

std::size_t edge_place(const FilterIndex& index, std::uint64_t key) {
    return hash_table_probe(index.edges, hash_mix(key) >> 32, [key](std::uint64_t edge) { return edge == key; });
}

// A hash of the repeat key.
std::uint32_t key_hash(std::string_view key) { return static_cast<std::uint32_t>(text_hash(key) >> 32); }

// The texts are at most 200 bytes long, counted in the arena.
static_assert(event_line::TITLE_COMPARED <= 255);

// Whether the table holds key.
bool table_holds(const EventStore& store, std::string_view key, std::uint32_t hash) {
    const std::size_t place = hash_table_probe(store.table, hash, [&](const EventStore::Slot& slot) {
        return slot.hash == hash && text_arena_at(store.keys, slot.text - 1) == key;
    });
    return !hash_table_free(store.table, place);
}

// The two bits of a hash in the bitmap of hashes seen lie in one word, so
// that a test waits for one fetch from memory at most: the word from the
// hash's low bits, the bits from its high ones.
std::size_t seen_place(const EventStore& store, std::uint32_t hash) { return hash & (store.seen.size() - 1); }
std::uint64_t seen_bits(std::uint32_t hash) {
    const std::uint32_t mixed = static_cast<std::uint32_t>((hash * HASH_MULTIPLIER) >> 32);
    return std::uint64_t{1} << (mixed >> 26) | std::uint64_t{1} << (mixed >> 20 & 63);
}

bool seen_maybe(const EventStore& store, std::uint32_t hash) {
    const std::uint64_t bits = seen_bits(hash);
    return (store.seen[seen_place(store, hash)] & bits) == bits;
}

void seen_set(EventStore& store, std::uint32_t hash) { store.seen[seen_place(store, hash)] |= seen_bits(hash); }

// Puts the waiting texts into the table.
void store_settle(EventStore& store) {
    for (const EventStore::Slot& slot : store.waiting) hash_table_put(store.table, slot.hash, slot);
    store.waiting.clear();
}

// Keeps the table at most half full once one more text is stored.
void store_make_room(EventStore& store) {
    const std::size_t count = store.count;
    if (hash_table_has_room(store.table, count + 1)) return;
    store_settle(store);
    const std::size_t size = hash_table_size(count + 1, 1024);
    store.seen.assign(size * 4 / 64, 0);
    // Every text is seen again as it goes into the new table.
    hash_table_resize(store.table, size, [&store](const EventStore::Slot& slot) {
        seen_set(store, slot.hash);
        return slot.hash;
    });
}

}  // namespace

FilterIndex filter_index_build(const std::vector<Text>& terms) {
    FilterIndex index;
    index.term_ends.assign(1, 0);
    std::size_t bytes = 0;
    for (const Text& term : terms) bytes += term.size();
    hash_table_clear(index.edges, hash_table_size(bytes + 1, 16));
    index.targets.assign(index.edges.entries.size(), 0);
    for (const Text& term : terms) {
        std::int32_t node = 0;
        for (unsigned char byte : term) {
            const std::uint64_t key = edge_key(node, byte);
            const std::size_t place = edge_place(index, key);
            if (hash_table_free(index.edges, place)) {
                index.edges.entries[place] = key;
                index.targets[place] = static_cast<std::int32_t>(index.term_ends.size());
                index.term_ends.push_back(0);
            }
            node = index.targets[place];
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
        const std::size_t place = edge_place(index, edge_key(node, byte));
        if (hash_table_free(index.edges, place)) return false;
        node = index.targets[place];
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
    // Places stay below 2^32 - 1: a key (a byte at least) and its length
    // never begin at a block's last byte.
    const EventStore::Slot slot{hash, text_arena_add_placed(store.keys, key) + 1};
    ++store.count;
    seen_set(store, hash);
    if (maybe_seen) {
        hash_table_put(store.table, hash, slot);
        return false;
    }
    // Where it goes in the table is fetched now and filled in later.
    hash_table_prefetch(store.table, hash);
    store.waiting.push_back(slot);
    if (store.waiting.size() == 16) store_settle(store);
    return false;
}
