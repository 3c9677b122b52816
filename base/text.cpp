// Text primitives: the last bytes, searching, replace-all passes, letter
// case in Windows-1252 and byte-wise comparison.
#include "base/text.h"

#include <array>
#include <climits>
#include <cstddef>
#include <cstring>

#include <string.h>  // memmem, on glibc

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

bool text_equal_ignore_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto& lower = case_tables().lower;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower[static_cast<unsigned char>(a[i])] != lower[static_cast<unsigned char>(b[i])])
            return false;
    }
    return true;
}
