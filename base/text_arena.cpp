#include "base/text_arena.h"

#include <cstring>

namespace {

constexpr std::size_t BLOCK_SIZE = 256 * 1024;

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

const char* text_arena_add_counted(TextArena& arena, std::string_view text) {
    char* const kept = make_room(arena, 1 + text.size());
    kept[0] = static_cast<char>(text.size());
    if (!text.empty()) std::memcpy(kept + 1, text.data(), text.size());
    return kept;
}

void text_arena_clear(TextArena& arena) { arena = TextArena{}; }
