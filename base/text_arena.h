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
// The same for a text of at most 255 bytes, behind a byte that holds its
// length: one pointer finds it again (text_arena_counted).
const char* text_arena_add_counted(TextArena& arena, std::string_view text);
inline std::string_view text_arena_counted(const char* kept) {
    return {kept + 1, static_cast<unsigned char>(kept[0])};
}
void text_arena_clear(TextArena& arena);
