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

// The lines from `from` on that lie whole in [from, to) and go across as
// they are: each ends in CR LF (no other line end, LF, CR or 0 byte, before
// it) and has no space just before its CR. At most count of them, each put
// in lines without its line end; their number is returned.
inline int byte_scan_verbatim_lines_plain(const char* from, const char* to, int count, std::string_view* lines) {
    int found = 0;
    for (; found < count; ++found) {
        const char* const stop = byte_scan_find_plain(from, to, '\n', '\r', '\0');
        if (to - stop < 2 || stop[0] != '\r' || stop[1] != '\n' || (stop != from && stop[-1] == ' ')) break;
        lines[found] = {from, static_cast<std::size_t>(stop - from)};
        from = stop + 2;
    }
    return found;
}

inline int byte_scan_verbatim_lines(const char* from, const char* to, int count, std::string_view* lines) {
    int found = 0;
    const char* line = from;  // the next line's first byte
#if defined(__SSE2__)
    // All the lines' bytes in one loop, 32 at a time, the bytes up to 13
    // picked out by one comparison and only those looked at one by one;
    // where a line ends does not change which bytes are loaded next. While
    // more than 32 bytes are left, the byte after any loaded one can be read.
    const __m128i thirteen = _mm_set1_epi8(13);
    const auto low_bytes = [&](const char* at) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, thirteen), bytes))));
    };
    std::uint64_t carried = 0;  // the LF of a CR LF across the loads' edge
    for (const char* next = from; count > 0 && to - next > 32; next += 32) {
        std::uint64_t low = (low_bytes(next) | low_bytes(next + 16) << 16) & ~carried;
        carried = 0;
        while (low != 0) {
            const unsigned place = static_cast<unsigned>(__builtin_ctzll(low));
            const char* const at = next + place;
            std::uint16_t pair;
            std::memcpy(&pair, at, 2);
            if (pair != 0x0A0D) {  // not CR LF (x86 is little-endian)
                if ((1u << *at) & (1u << '\r' | 1u << '\n' | 1u)) return found;
                low &= low - 1;  // a tab or another control byte
                continue;
            }
            if (at != line && at[-1] == ' ') return found;
            lines[found] = {line, static_cast<std::size_t>(at - line)};
            if (++found == count) return found;
            line = at + 2;
            const std::uint64_t both = std::uint64_t{3} << place;
            low &= ~both;
            carried = both >> 32;
        }
    }
#endif
    // The last bytes (all of them in the plain form) line by line.
    return found + byte_scan_verbatim_lines_plain(line, to, count - found, lines + found);
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
