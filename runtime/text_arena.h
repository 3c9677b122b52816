// Texts kept one after another in large blocks, for the many short texts a
// run keeps to its end: no allocation per text, nothing moved as it grows.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

struct TextArena {
    std::vector<std::unique_ptr<char[]>> blocks;
    char* next = nullptr;  // the free bytes of the last block of short texts
    std::size_t free = 0;
};

// A copy of text in the arena, valid until the arena is cleared.
std::string_view text_arena_add(TextArena& arena, std::string_view text);
void text_arena_clear(TextArena& arena);
