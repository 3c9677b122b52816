#include "base/text_arena.h"

#include <new>

namespace {

constexpr unsigned BLOCK_BITS = 18;
constexpr std::size_t BLOCK_SIZE = std::size_t{1} << BLOCK_BITS;  // 256 KiB

}  // namespace

char* text_arena_room(TextArena& arena, std::size_t size) {
    if (size > BLOCK_SIZE / 4) {
        // A long text gets a block of its own; the block of short texts
        // keeps its room.
        arena.long_texts.emplace_back(new char[size]);
        return arena.long_texts.back().get();
    }
    if (size > arena.free) {
        if (arena.used == arena.blocks.size()) arena.blocks.emplace_back(new char[BLOCK_SIZE]);
        arena.next = arena.blocks[arena.used++].get();
        arena.free = BLOCK_SIZE;
    }
    char* const bytes = arena.next;
    arena.next += size;
    arena.free -= size;
    return bytes;
}

std::uint32_t text_arena_add_placed(TextArena& arena, std::string_view text) {
    // The block's number in the high bits, the offset in it in the low ones.
    char* const kept = text_arena_room(arena, 1 + text.size());
    const std::size_t block = arena.used - 1;
    if (block >= (std::size_t{1} << (32 - BLOCK_BITS))) throw std::bad_alloc();
    kept[0] = static_cast<char>(text.size());
    if (!text.empty()) std::memcpy(kept + 1, text.data(), text.size());
    const auto offset = static_cast<std::size_t>(kept - arena.blocks[block].get());
    return static_cast<std::uint32_t>(block << BLOCK_BITS | offset);
}

std::string_view text_arena_at(const TextArena& arena, std::uint32_t place) {
    const char* const kept = arena.blocks[place >> BLOCK_BITS].get() + (place & (BLOCK_SIZE - 1));
    return {kept + 1, static_cast<unsigned char>(kept[0])};
}

void text_arena_clear(TextArena& arena) {
    arena.long_texts.clear();
    arena.used = 0;
    arena.next = nullptr;
    arena.free = 0;
}
