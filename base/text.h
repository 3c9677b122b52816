// Text values and the text operations every step of a run is built from.
//
// A Text value is a std::string of Windows-1252 bytes that never holds the
// byte 0. Positions are 1-based, counts are bytes, integers are signed.
// Cutting beyond either end gives a shorter or empty piece, never an error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using Text = std::string;

int text_length(const Text& text);
Text text_left(const Text& text, int n);
Text text_right(const Text& text, int n);
Text text_mid(const Text& text, int start, int n);
// The first occurrence of a pattern that is not empty at or after index
// from, or Text::npos.
std::size_t text_search(std::string_view text, std::string_view pattern, std::size_t from);
// Left-to-right, non-overlapping, case-sensitive; replacements are not rescanned.
Text text_replace_all(const Text& text, const Text& pattern, const Text& replacement);
// The same, reusing the text's storage when nothing is replaced.
Text text_replace_all(Text&& text, const Text& pattern, const Text& replacement);
// As text_replace_all with an empty replacement; ignore_case folds ASCII A-Z only.
Text text_remove_all(const Text& text, const Text& pattern, bool ignore_case);
// ASCII A-Z mapped onto a-z, every other byte unchanged: the letter case
// that text_remove_all, the service sort and the date mask tokens ignore.
inline unsigned char text_fold_ascii(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}
Text text_fold_ascii(const Text& text);
// The text without its trailing run of spaces (0x20 only).
std::string_view text_trim_right(std::string_view text);
// Letter case in Windows-1252, accented letters included.
Text text_lower(const Text& text);
Text text_upper(const Text& text);
// The same length and the same bytes; letter case counts.
bool text_equal(const Text& a, const Text& b);

// Equality with letter case ignored in Windows-1252 (the list views' search).
bool text_equal_ignore_case(std::string_view a, std::string_view b);

// A 64-bit hash of the bytes and their count, eight bytes at a time; its
// high bits are the best mixed.
std::uint64_t text_hash(std::string_view text);
