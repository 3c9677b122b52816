// Text primitives: the last bytes, searching, replace-all passes, letter
// case in Windows-1252 and byte-wise comparison.
#include "base/text.h"

#include <array>
#include <climits>
#include <cstddef>
#include <cstring>

#include <string.h>  // memmem, on glibc

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/hash.h"

namespace {

// Sizes of std::string are unsigned and may in theory exceed int; every
// length handed back to the program is clamped into the signed range.
int to_int(std::size_t size) {
    return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

std::size_t to_size(int n) {
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

struct CaseTables {
    std::array<unsigned char, 256> lower{};
    std::array<unsigned char, 256> upper{};
};

CaseTables make_case_tables() {
    CaseTables t;
    for (int b = 0; b < 256; ++b) {
        t.lower[b] = static_cast<unsigned char>(b);
        t.upper[b] = static_cast<unsigned char>(b);
    }
    auto pair = [&t](int upper_byte, int lower_byte) {
        t.lower[upper_byte] = static_cast<unsigned char>(lower_byte);
        t.upper[lower_byte] = static_cast<unsigned char>(upper_byte);
    };
    for (int b = 'A'; b <= 'Z'; ++b) pair(b, b + 0x20);
    for (int b = 0xC0; b <= 0xDE; ++b) {
        if (b != 0xD7) pair(b, b + 0x20);  // 0xD7/0xF7: multiplication and division signs
    }
    pair(0x8A, 0x9A);  // S with caron
    pair(0x8C, 0x9C);  // ligature OE
    pair(0x8E, 0x9E);  // Z with caron
    pair(0x9F, 0xFF);  // Y with diaeresis
    return t;
}

const CaseTables& case_tables() {
    static const CaseTables tables = make_case_tables();
    return tables;
}

Text map_bytes(const Text& text, const std::array<unsigned char, 256>& table) {
    Text result(text);
    for (char& c : result) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return result;
}

}  // namespace

int text_length(const Text& text) {
    return to_int(text.size());
}

Text text_right(const Text& text, int n) {
    std::size_t count = to_size(n);
    if (count >= text.size()) return text;
    return text.substr(text.size() - count);
}

std::size_t text_search(std::string_view text, std::string_view pattern, std::size_t from) {
    if (from > text.size() || text.size() - from < pattern.size()) return Text::npos;
#ifdef __GLIBC__
    // On long texts glibc's memmem copes better than a search for the first
    // byte with patterns whose first byte is frequent (". 5." in a Guide
    // text); on a line its set-up costs more than it saves.
    if (text.size() - from >= 4096) {
        const void* hit = ::memmem(text.data() + from, text.size() - from, pattern.data(), pattern.size());
        return hit == nullptr ? Text::npos
                              : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    }
#endif
    return text.find(pattern, from);
}

Text text_fold_ascii(const Text& text) {
    Text result(text);
    for (char& c : result) c = static_cast<char>(text_fold_ascii(static_cast<unsigned char>(c)));
    return result;
}

Text text_lower(const Text& text) {
    return map_bytes(text, case_tables().lower);
}

Text text_upper(const Text& text) {
    return map_bytes(text, case_tables().upper);
}

bool text_equal(const Text& a, const Text& b) {
    return a == b;
}

namespace {

// The hash of the views' search takes sixteen bytes at a time, in two
// lanes that do not wait for each other; the last bytes (fewer than
// sixteen) with those before them to make sixteen, or where the text is
// shorter, with zero bytes.
struct CaseHash {
    std::uint64_t lanes[2];
    explicit CaseHash(std::size_t size) : lanes{size * HASH_MULTIPLIER, ~size * HASH_MULTIPLIER} {}
    void mix(const unsigned char (&lower)[16]) {
        for (int lane = 0; lane < 2; ++lane) {
            std::uint64_t word;
            std::memcpy(&word, lower + 8 * lane, 8);
            std::uint64_t& h = lanes[lane];
            h = (h ^ word) * HASH_MULTIPLIER;
            h ^= h >> 29;
        }
    }
    std::uint64_t value() const { return hash_mix(lanes[0] ^ hash_mix(lanes[1])); }
};

#if defined(__SSE2__)
// Sixteen bytes in lower case: A-Z and the accented capitals 0xC0-0xDE (but
// the multiplication sign 0xD7) gain 0x20, S and Z with caron and OE 0x10,
// Y with diaeresis 0x60.
void lower_block(const unsigned char* from, unsigned char (&lower)[16]) {
    const auto within = [](__m128i bytes, unsigned char low, unsigned char width) {
        const __m128i above = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(low)));
        return _mm_cmpeq_epi8(_mm_min_epu8(above, _mm_set1_epi8(static_cast<char>(width))), above);
    };
    const auto is = [](__m128i bytes, unsigned char byte) {
        return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(byte)));
    };
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i by_20 = _mm_or_si128(within(block, 'A', 'Z' - 'A'),
                                       _mm_andnot_si128(is(block, 0xD7), within(block, 0xC0, 0xDE - 0xC0)));
    const __m128i by_10 = _mm_or_si128(_mm_or_si128(is(block, 0x8A), is(block, 0x8C)), is(block, 0x8E));
    const __m128i add = _mm_or_si128(_mm_or_si128(_mm_and_si128(by_20, _mm_set1_epi8(0x20)),
                                                  _mm_and_si128(by_10, _mm_set1_epi8(0x10))),
                                     _mm_and_si128(is(block, 0x9F), _mm_set1_epi8(0x60)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lower), _mm_add_epi8(block, add));
}
#endif

void lower_block_plain(const unsigned char* from, unsigned char (&lower)[16]) {
    const auto& table = case_tables().lower;
    for (int i = 0; i < 16; ++i) lower[i] = table[from[i]];
}

template <void (*LOWER)(const unsigned char*, unsigned char (&)[16])>
std::uint64_t hash_ignore_case(std::string_view text) {
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    CaseHash hash(text.size());
    unsigned char lower[16];
    std::size_t i = 0;
    for (; i + 16 <= text.size(); i += 16) {
        LOWER(bytes + i, lower);
        hash.mix(lower);
    }
    if (i == text.size()) return hash.value();
    if (i > 0) {
        // The last sixteen bytes, some of them mixed in already.
        LOWER(bytes + text.size() - 16, lower);
    } else {
        unsigned char block[16] = {};
        std::memcpy(block, bytes, text.size());
        LOWER(block, lower);
    }
    hash.mix(lower);
    return hash.value();
}

}  // namespace

std::uint64_t text_hash_ignore_case_plain(std::string_view text) { return hash_ignore_case<lower_block_plain>(text); }

std::uint64_t text_hash_ignore_case(std::string_view text) {
#if defined(__SSE2__)
    return hash_ignore_case<lower_block>(text);
#else
    return hash_ignore_case<lower_block_plain>(text);
#endif
}
