// The one hash of texts, the one mixer of 64-bit words, and the
// open-addressed table and bitmaps the lookups are built on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The multiplier of every hash here: 2^64 over the golden ratio, odd.
inline constexpr std::uint64_t HASH_MULTIPLIER = 0x9E3779B97F4A7C15ull;

// A word's bits spread over all 64; the high ones are the best mixed.
constexpr std::uint64_t hash_mix(std::uint64_t word) { return (word ^ (word >> 29)) * HASH_MULTIPLIER; }

// A 64-bit hash of the bytes and their count, eight bytes at a time; its
// high bits are the best mixed. Journals on disk keep it in their checksum,
// so its values never change.
std::uint64_t text_hash(std::string_view text);

// An open-addressed table: a power of two of entries, each found by linear
// probing from the place the low bits of its hash give (a hash whose low
// bits are well mixed, such as the high half of hash_mix or text_hash). An
// entry equal to Entry{} is free, and no entry put in may equal it.
template <typename Entry>
struct HashTable {
    std::vector<Entry> entries;
};

// The size of a table that holds count entries at most half full: a power
// of two, at least minimum (itself a power of two).
inline std::size_t hash_table_size(std::size_t count, std::size_t minimum) {
    std::size_t size = minimum;
    while (size < 2 * count) size <<= 1;
    return size;
}

// Whether the table holds count entries at most half full.
template <typename Entry>
bool hash_table_has_room(const HashTable<Entry>& table, std::size_t count) {
    return 2 * count <= table.entries.size();
}

// The place where the probe for hash begins.
template <typename Entry>
std::size_t hash_table_home(const HashTable<Entry>& table, std::uint64_t hash) {
    return static_cast<std::size_t>(hash) & (table.entries.size() - 1);
}

// Asks for the entry where the probe for hash begins to be fetched into the
// cache, for a lookup a little later.
template <typename Entry>
void hash_table_prefetch(HashTable<Entry>& table, std::uint64_t hash) {
    __builtin_prefetch(&table.entries[hash_table_home(table, hash)], 1);
}

template <typename Entry>
bool hash_table_free(const HashTable<Entry>& table, std::size_t place) {
    return table.entries[place] == Entry{};
}

// The place of the first entry on the probe for hash that is free or that
// holds(entry) accepts: the entry sought where it is not free.
template <typename Entry, typename Holds>
std::size_t hash_table_probe(const HashTable<Entry>& table, std::uint64_t hash, Holds holds) {
    const std::size_t mask = table.entries.size() - 1;
    std::size_t place = hash_table_home(table, hash);
    while (!hash_table_free(table, place) && !holds(table.entries[place])) place = (place + 1) & mask;
    return place;
}

// Puts entry into the first free place on the probe for hash, without
// looking for an equal one.
template <typename Entry>
void hash_table_put(HashTable<Entry>& table, std::uint64_t hash, const Entry& entry) {
    table.entries[hash_table_probe(table, hash, [](const Entry&) { return false; })] = entry;
}

// Makes the table size free entries.
template <typename Entry>
void hash_table_clear(HashTable<Entry>& table, std::size_t size) {
    table.entries.assign(size, Entry{});
}

// Makes the table size entries, with every entry it held put in anew, in
// the order of their places, at hash_of(entry), which is asked once for
// each.
template <typename Entry, typename HashOf>
void hash_table_resize(HashTable<Entry>& table, std::size_t size, HashOf hash_of) {
    std::vector<Entry> old(size);
    old.swap(table.entries);
    for (const Entry& entry : old)
        if (!(entry == Entry{})) hash_table_put(table, hash_of(entry), entry);
}

// Bitmaps in 64-bit words, bit i in word i / 64.
inline bool bitmap_test(const std::vector<std::uint64_t>& bits, std::size_t bit) {
    return (bits[bit / 64] >> (bit % 64)) & 1;
}
inline void bitmap_set(std::vector<std::uint64_t>& bits, std::size_t bit) {
    bits[bit / 64] |= std::uint64_t{1} << (bit % 64);
}
