// Text values and the text operations every step of a run is built from.
//
// A Text value is a std::string of Windows-1252 bytes that never holds the
// byte 0. Positions are 1-based, counts are bytes, integers are signed.
// Cutting beyond either end gives a shorter or empty piece, never an error.
#pragma once

#include <string>

using Text = std::string;

int text_length(const Text& text);
Text text_left(const Text& text, int n);
Text text_right(const Text& text, int n);
Text text_mid(const Text& text, int start, int n);
// Position of the first occurrence of pattern at or after start, 0 if none.
int text_find(const Text& text, const Text& pattern, int start);
// Left-to-right, non-overlapping, case-sensitive; replacements are not rescanned.
Text text_replace_all(const Text& text, const Text& pattern, const Text& replacement);
// The same, reusing the text's storage when nothing is replaced.
Text text_replace_all(Text&& text, const Text& pattern, const Text& replacement);
// As text_replace_all with an empty replacement; ignore_case folds ASCII A-Z only.
Text text_remove_all(const Text& text, const Text& pattern, bool ignore_case);
// ASCII A-Z mapped onto a-z, every other byte unchanged: the letter case
// that text_remove_all ignores.
Text text_fold_ascii(const Text& text);
// Removes the trailing run of spaces (0x20 only).
Text text_trim_right(const Text& text);
Text text_trim_right(Text&& text);  // trims in place
// Letter case in Windows-1252, accented letters included.
Text text_lower(const Text& text);
Text text_upper(const Text& text);
Text text_spaces(int n);
bool text_equal(const Text& a, const Text& b);
// Unsigned byte order; a longer text is greater than its own beginning.
bool text_greater(const Text& a, const Text& b);

// Equality with letter case ignored in Windows-1252 (the list views' search).
bool text_equal_ignore_case(const Text& a, const Text& b);
