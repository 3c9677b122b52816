#include "base/text_arena.h"

#include <cstring>
#include <new>

namespace {

constexpr unsigned BLOCK_BITS = 18;
constexpr std::size_t BLOCK_SIZE = std::size_t{1} << BLOCK_BITS;  // 256 KiB

}  // namespace

std::uint32_t text_arena_add_placed(TextArena& arena, std::string_view text) {
    const std::size_t size = 1 + text.size();
    if (size > arena.free) {
        arena.blocks.emplace_back(new char[BLOCK_SIZE]);
        arena.next = arena.blocks.back().get();
        arena.free = BLOCK_SIZE;
    }
    // The block's number in the high bits, the offset in it in the low ones.
    const std::size_t block = arena.blocks.size() - 1;
    if (block >= (std::size_t{1} << (32 - BLOCK_BITS))) throw std::bad_alloc();
    char* const kept = arena.next;
    arena.next += size;
    arena.free -= size;
    kept[0] = static_cast<char>(text.size());
    if (!text.empty()) std::memcpy(kept + 1, text.data(), text.size());
    const auto offset = static_cast<std::size_t>(kept - arena.blocks[block].get());
    return static_cast<std::uint32_t>(block << BLOCK_BITS | offset);
}

std::string_view text_arena_at(const TextArena& arena, std::uint32_t place) {
    const char* const kept = arena.blocks[place >> BLOCK_BITS].get() + (place & (BLOCK_SIZE - 1));
    return {kept + 1, static_cast<unsigned char>(kept[0])};
}
