// Looking through bytes many at a time: for the first of a few given bytes
// (line ends, tabs, backslashes) and for a run of one byte (spaces).
// Sixteen bytes at a time where the processor has SSE2; the plain forms,
// eight bytes at a time or one, serve every other processor and give the
// same results.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The first byte in [from, to) that is a, b or c; to when there is none.
inline const char* byte_scan_find_plain(const char* from, const char* to, char a, char b, char c) {
    // Eight bytes at a time while none of them is one of the three.
    constexpr std::uint64_t ONES = 0x0101010101010101ull;
    constexpr std::uint64_t HIGHS = 0x8080808080808080ull;
    const auto holds = [](std::uint64_t word, char byte) {
        const std::uint64_t v = word ^ (static_cast<unsigned char>(byte) * ONES);  // 0 where the byte stands
        return ((v - ONES) & ~v & HIGHS) != 0;
    };
    for (std::uint64_t word; to - from >= 8; from += 8) {
        std::memcpy(&word, from, 8);
        if (holds(word, a) || holds(word, b) || holds(word, c)) break;
    }
    while (from != to && *from != a && *from != b && *from != c) ++from;
    return from;
}

inline const char* byte_scan_find(const char* from, const char* to, char a, char b, char c) {
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(a), second = _mm_set1_epi8(b), third = _mm_set1_epi8(c);
    for (; to - from >= 16; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, first), _mm_cmpeq_epi8(bytes, second)),
                                          _mm_cmpeq_epi8(bytes, third));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) return from + __builtin_ctz(mask);
    }
    // The last bytes one at a time.
    while (from != to && *from != a && *from != b && *from != c) ++from;
    return from;
#else
    return byte_scan_find_plain(from, to, a, b, c);
#endif
}

// The first line end in [from, to): an LF, a CR or a 0 byte; to when there
// is none. Sixteen bytes at a time, the bytes up to 13 picked out by one
// comparison and only those looked at one by one.
inline const char* byte_scan_line_end(const char* from, const char* to) {
#if defined(__SSE2__)
    const __m128i thirteen = _mm_set1_epi8(13);
    for (; to - from >= 16; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        unsigned low = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, thirteen), bytes)));
        for (; low != 0; low &= low - 1) {
            const char* const at = from + __builtin_ctz(low);
            if (*at == '\r' || *at == '\n' || *at == '\0') return at;
        }
    }
#endif
    return byte_scan_find_plain(from, to, '\n', '\r', '\0');
}

// The position of the first a or b in text at or after from; text.size()
// when there is none.
inline std::size_t byte_scan_find(std::string_view text, std::size_t from, char a, char b) {
    const char* const begin = text.data();
    return static_cast<std::size_t>(byte_scan_find(begin + from, begin + text.size(), a, b, b) - begin);
}

// Whether text holds a run of n bytes equal to byte (n at least 1).
inline bool byte_scan_has_run_plain(std::string_view text, char byte, std::size_t n) {
    std::size_t run = 0;
    for (const char c : text) {
        run = c == byte ? run + 1 : 0;
        if (run == n) return true;
    }
    return false;
}

inline bool byte_scan_has_run(std::string_view text, char byte, std::size_t n) {
#if defined(__SSE2__)
    if (text.size() >= 16 && n >= 1 && n <= 16) {
        // Sixteen bytes at a time, each load overlapping the one before by
        // at least n - 1 bytes, so that every run of n lies whole in one of
        // them; the last load ends where the text ends.
        const __m128i sought = _mm_set1_epi8(byte);
        const auto run_at = [&](std::size_t i) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
            const unsigned equal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, sought)));
            unsigned runs = equal;
            for (std::size_t k = 1; k < n; ++k) runs &= equal >> k;
            return runs != 0;
        };
        for (std::size_t i = 0; i + 16 < text.size(); i += 17 - n)
            if (run_at(i)) return true;
        return run_at(text.size() - 16);
    }
#endif
    return byte_scan_has_run_plain(text, byte, n);
}
