// Texts kept one after another in large blocks, for the many short texts a
// run keeps to its end: no allocation per text, nothing moved as it grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

struct TextArena {
    std::vector<std::unique_ptr<char[]>> blocks;      // the short texts' blocks, in use and kept
    std::vector<std::unique_ptr<char[]>> long_texts;  // a block of its own each
    std::size_t used = 0;  // blocks in use; the last of them takes the next short text
    char* next = nullptr;  // its free bytes
    std::size_t free = 0;
};

// Room for size bytes where they do not fit the free bytes left.
char* text_arena_room(TextArena& arena, std::size_t size);

// A copy of text in the arena, valid until the arena is cleared.
inline std::string_view text_arena_add(TextArena& arena, std::string_view text) {
    char* bytes = arena.next;
    if (text.size() <= arena.free) {
        arena.next += text.size();
        arena.free -= text.size();
    } else {
        bytes = text_arena_room(arena, text.size());
    }
    if (!text.empty()) std::memcpy(bytes, text.data(), text.size());
    return {bytes, text.size()};
}
// The same for a text of at most 255 bytes, behind a byte that holds its
// length; its place, a 32-bit number, finds it again (text_arena_at).
// Throws std::bad_alloc where the arena holds more than 32 bits can place.
std::uint32_t text_arena_add_placed(TextArena& arena, std::string_view text);
std::string_view text_arena_at(const TextArena& arena, std::uint32_t place);
// Empties the arena. Its blocks for short texts are kept and filled again
// by the texts that follow, without being made anew.
void text_arena_clear(TextArena& arena);
