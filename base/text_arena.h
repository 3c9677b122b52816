// Texts kept one after another in large blocks, for the many short texts a
// run keeps to its end: no allocation per text, nothing moved as it grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

struct TextArena {
    std::vector<std::unique_ptr<char[]>> blocks;  // the last of them takes the next text
    char* next = nullptr;  // its free bytes
    std::size_t free = 0;
};

// A copy of a text of at most 255 bytes in the arena, behind a byte that
// holds its length; its place, a 32-bit number, finds it again
// (text_arena_at). Throws std::bad_alloc where the arena holds more than 32
// bits can place.
std::uint32_t text_arena_add_placed(TextArena& arena, std::string_view text);
std::string_view text_arena_at(const TextArena& arena, std::uint32_t place);
