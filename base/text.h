// Text values and the text operations the run is built from.
//
// A Text value is a std::string of Windows-1252 bytes that never holds the
// byte 0. Counts are bytes; a count beyond the text's end gives the whole
// text, never an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using Text = std::string;

int text_length(const Text& text);
// The last n bytes (the whole text where it is shorter, none for n < 1).
Text text_right(const Text& text, int n);
// The first occurrence of a pattern that is not empty at or after index
// from, or Text::npos.
std::size_t text_search(std::string_view text, std::string_view pattern, std::size_t from);
// ASCII A-Z mapped onto a-z, every other byte unchanged: the letter case
// that the Service-name removal, the sort and the date mask tokens ignore.
inline unsigned char text_fold_ascii(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}
Text text_fold_ascii(const Text& text);
// The text without its trailing run of spaces (0x20 only).
inline std::string_view text_trim_right(std::string_view text) {
    std::size_t size = text.size();
    while (size > 0 && text[size - 1] == ' ') --size;
    return text.substr(0, size);
}
// Letter case in Windows-1252, accented letters included.
Text text_lower(const Text& text);
Text text_upper(const Text& text);
// The same length and the same bytes; letter case counts.
bool text_equal(const Text& a, const Text& b);

// A 64-bit hash of the text in lower case (the list views' search): texts
// equal with letter case ignored in Windows-1252 have the same hash, and
// two that are not share one by chance alone. Sixteen bytes at a time
// where the processor has SSE2; the plain form gives the same values.
std::uint64_t text_hash_ignore_case(std::string_view text);
std::uint64_t text_hash_ignore_case_plain(std::string_view text);
