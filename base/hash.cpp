#include "base/hash.h"

#include <cstring>

std::uint64_t text_hash(std::string_view text) {
    std::uint64_t h = text.size() * HASH_MULTIPLIER;
    auto mix = [&h](std::uint64_t word) {
        h = (h ^ word) * HASH_MULTIPLIER;
        h ^= h >> 29;
    };
    const std::size_t size = text.size();
    std::uint64_t word = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::memcpy(&word, text.data() + i, 8);
        mix(word);
    }
    if (i == size) return h * HASH_MULTIPLIER;
    if (size >= 8) {
        // The last eight bytes, without those mixed in already.
        std::memcpy(&word, text.data() + size - 8, 8);
        word >>= 8 * (i + 8 - size);
    } else {
        word = 0;
        for (std::size_t k = size; k-- > 0;) word = word << 8 | static_cast<unsigned char>(text[k]);
    }
    mix(word);
    return h * HASH_MULTIPLIER;
}
