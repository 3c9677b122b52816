// Texts kept one after another in large blocks, for the many short texts a
// run keeps to its end: no allocation per text, nothing moved as it grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

struct TextArena {
    std::vector<std::unique_ptr<char[]>> blocks;
    char* next = nullptr;  // the free bytes of the block of short texts
    std::size_t free = 0;
    std::size_t short_block = 0;  // that block's number in blocks
};

// A copy of text in the arena, valid until the arena is cleared.
std::string_view text_arena_add(TextArena& arena, std::string_view text);
// The same for a text of at most 255 bytes, behind a byte that holds its
// length; its place, a 32-bit number, finds it again (text_arena_at).
// Throws std::bad_alloc where the arena holds more than 32 bits can place.
std::uint32_t text_arena_add_placed(TextArena& arena, std::string_view text);
std::string_view text_arena_at(const TextArena& arena, std::uint32_t place);
void text_arena_clear(TextArena& arena);
