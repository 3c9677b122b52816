#include "base/text_arena.h"

#include <cstring>
#include <new>

namespace {

constexpr unsigned BLOCK_BITS = 18;
constexpr std::size_t BLOCK_SIZE = std::size_t{1} << BLOCK_BITS;  // 256 KiB

// Room for size bytes, for the caller to fill.
char* make_room(TextArena& arena, std::size_t size) {
    if (size > BLOCK_SIZE / 4) {
        // A long text gets a block of its own; the last block keeps its room.
        arena.blocks.emplace_back(new char[size]);
        return arena.blocks.back().get();
    }
    if (size > arena.free) {
        arena.blocks.emplace_back(new char[BLOCK_SIZE]);
        arena.next = arena.blocks.back().get();
        arena.free = BLOCK_SIZE;
        arena.short_block = arena.blocks.size() - 1;
    }
    char* const bytes = arena.next;
    arena.next += size;
    arena.free -= size;
    return bytes;
}

}  // namespace

std::string_view text_arena_add(TextArena& arena, std::string_view text) {
    char* const bytes = make_room(arena, text.size());
    if (!text.empty()) std::memcpy(bytes, text.data(), text.size());
    return {bytes, text.size()};
}

std::uint32_t text_arena_add_placed(TextArena& arena, std::string_view text) {
    // The block's number in the high bits, the offset in it in the low ones.
    char* const kept = make_room(arena, 1 + text.size());
    if (arena.short_block >= (std::size_t{1} << (32 - BLOCK_BITS))) throw std::bad_alloc();
    kept[0] = static_cast<char>(text.size());
    if (!text.empty()) std::memcpy(kept + 1, text.data(), text.size());
    const auto offset = static_cast<std::size_t>(kept - arena.blocks[arena.short_block].get());
    return static_cast<std::uint32_t>(arena.short_block << BLOCK_BITS | offset);
}

std::string_view text_arena_at(const TextArena& arena, std::uint32_t place) {
    const char* const kept = arena.blocks[place >> BLOCK_BITS].get() + (place & (BLOCK_SIZE - 1));
    return {kept + 1, static_cast<unsigned char>(kept[0])};
}

void text_arena_clear(TextArena& arena) { arena = TextArena{}; }
