#include "runtime/text_arena.h"

#include <cstring>

namespace {

constexpr std::size_t BLOCK_SIZE = 256 * 1024;

}  // namespace

std::string_view text_arena_add(TextArena& arena, std::string_view text) {
    char* bytes;
    if (text.size() > BLOCK_SIZE / 4) {
        // A long text gets a block of its own; the last block keeps its room.
        arena.blocks.emplace_back(new char[text.size()]);
        bytes = arena.blocks.back().get();
    } else {
        if (text.size() > arena.free) {
            arena.blocks.emplace_back(new char[BLOCK_SIZE]);
            arena.next = arena.blocks.back().get();
            arena.free = BLOCK_SIZE;
        }
        bytes = arena.next;
        arena.next += text.size();
        arena.free -= text.size();
    }
    if (!text.empty()) std::memcpy(bytes, text.data(), text.size());
    return {bytes, text.size()};
}

void text_arena_clear(TextArena& arena) { arena = TextArena{}; }
