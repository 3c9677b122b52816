#include "runtime/text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Builds a text from bytes given as numbers (keeps 0x80+ bytes readable).
Text bytes(std::initializer_list<int> values) {
    Text t;
    for (int v : values) t.push_back(static_cast<char>(v));
    return t;
}

TEST(TextCut, LeftAndRight) {
    EXPECT_EQ(text_left("abc", 2), "ab");
    EXPECT_EQ(text_left("abc", 0), "");
    EXPECT_EQ(text_left("abc", -1), "");
    EXPECT_EQ(text_left("abc", 5), "abc");
    EXPECT_EQ(text_left("", 3), "");
    EXPECT_EQ(text_right("abc", 2), "bc");
    EXPECT_EQ(text_right("abc", -1), "");
    EXPECT_EQ(text_right("abc", 0), "");
    EXPECT_EQ(text_right("abc", 3), "abc");
    EXPECT_EQ(text_right("abc", 5), "abc");
    EXPECT_EQ(text_right("", 1), "");
}

TEST(TextCut, Mid) {
    EXPECT_EQ(text_mid("0123456789", 3, 4), "2345");
    EXPECT_EQ(text_mid("abc", 0, 2), "ab");
    EXPECT_EQ(text_mid("abc", -7, 2), "ab");
    EXPECT_EQ(text_mid("abc", 2, 200), "bc");
    EXPECT_EQ(text_mid("abc", 3, 1), "c");
    EXPECT_EQ(text_mid("abc", 4, 1), "");
    EXPECT_EQ(text_mid("abc", 1000, 1), "");
    EXPECT_EQ(text_mid("abc", 1, 0), "");
    EXPECT_EQ(text_mid("abc", 1, -3), "");
    EXPECT_EQ(text_mid("", 1, 1), "");
    EXPECT_EQ(text_mid("abc", 2, 0x7FFFFFFF), "bc");
}

TEST(TextCut, LengthAndSpaces) {
    EXPECT_EQ(text_length(""), 0);
    EXPECT_EQ(text_length(bytes({0xE4, 0x20})), 2);
    EXPECT_EQ(text_spaces(3), "   ");
    EXPECT_EQ(text_spaces(0), "");
    EXPECT_EQ(text_spaces(-4), "");
}

TEST(TextFind, Positions) {
    EXPECT_EQ(text_find("abcabc", "c", 4), 6);
    EXPECT_EQ(text_find("abcabc", "c", 3), 3);
    EXPECT_EQ(text_find("abcabc", "abc", 2), 4);
    EXPECT_EQ(text_find("abc", "a", 0), 1);
    EXPECT_EQ(text_find("abc", "a", -5), 1);
    EXPECT_EQ(text_find("abc", "a", 4), 0);
    EXPECT_EQ(text_find("abc", "c", 3), 3);
    EXPECT_EQ(text_find("abc", "abc", 1), 1);
}

TEST(TextFind, NoMatch) {
    EXPECT_EQ(text_find("abc", "", 1), 0);
    EXPECT_EQ(text_find("", "a", 1), 0);
    EXPECT_EQ(text_find("", "", 1), 0);
    EXPECT_EQ(text_find("abc", "bcd", 1), 0);  // would run past the end
    EXPECT_EQ(text_find("abc", "abcd", 1), 0);
    EXPECT_EQ(text_find("abc", "A", 1), 0);  // case-sensitive
    EXPECT_EQ(text_find(bytes({0xE4}), bytes({0xC4}), 1), 0);
}

TEST(TextReplace, Examples) {
    EXPECT_EQ(text_replace_all("aaa", "aa", "b"), "ba");
    EXPECT_EQ(text_replace_all("aa", "a", "aa"), "aaaa");
    EXPECT_EQ(text_replace_all("x      y", "   ", " + "), "x +  + y");
    EXPECT_EQ(text_replace_all("Mo. 1.12.", ". 1.", ".01."), "Mo.01.12.");
    EXPECT_EQ(text_replace_all("aaaa", "aa", "a"), "aa");  // not rescanned
    EXPECT_EQ(text_replace_all("abcabc", "b", ""), "acac");
    EXPECT_EQ(text_replace_all("abc", "x", "y"), "abc");
    EXPECT_EQ(text_replace_all("abc", "", "y"), "abc");
    EXPECT_EQ(text_replace_all("", "a", "y"), "");
    EXPECT_EQ(text_replace_all("abc", "abc", "z"), "z");
    EXPECT_EQ(text_replace_all("abc", "abcd", "z"), "abc");
    EXPECT_EQ(text_replace_all("aBc", "b", "x"), "aBc");
    EXPECT_EQ(text_replace_all("\t1\t2\t", "\t", " "), " 1 2 ");
}

TEST(TextRemove, Exact) {
    // a, one backslash, b, two backslashes, z
    EXPECT_EQ(text_remove_all("a\\b\\\\z", "\\", false), "abz");
    EXPECT_EQ(text_remove_all("ZDF zdf", "zdf", false), "ZDF ");
    EXPECT_EQ(text_remove_all("abc", "", false), "abc");
    EXPECT_EQ(text_remove_all("aaa", "aa", false), "a");
    EXPECT_EQ(text_remove_all("", "a", false), "");
}

TEST(TextRemove, IgnoreCaseFoldsAsciiOnly) {
    EXPECT_EQ(text_remove_all("Das Erste ARD HD", "ard", true), "Das Erste  HD");
    EXPECT_EQ(text_remove_all("ZDF zdf ZdF", "zDf", true), "  ");
    EXPECT_EQ(text_remove_all(bytes({'x', 0xC4, 'y'}), bytes({0xE4}), true), bytes({'x', 0xC4, 'y'}));
    EXPECT_EQ(text_remove_all(bytes({'x', 0xE4, 'y'}), bytes({0xE4}), true), "xy");
    // '@' and '[' sit right beside 'A' and 'Z' and must not be folded.
    EXPECT_EQ(text_remove_all("@[`{", "`", true), "@[{");
    EXPECT_EQ(text_remove_all("a@b", "A`B", true), "a@b");
    EXPECT_EQ(text_remove_all("abc", "", true), "abc");
    // The kept bytes keep their own case.
    EXPECT_EQ(text_remove_all("XyZ Sat.1 xYz", "SAT.1", true), "XyZ  xYz");
}

TEST(TextTrim, TrailingSpacesOnly) {
    EXPECT_EQ(text_trim_right("abc \t "), "abc \t");
    EXPECT_EQ(text_trim_right("   "), "");
    EXPECT_EQ(text_trim_right(""), "");
    EXPECT_EQ(text_trim_right("  a  "), "  a");
    EXPECT_EQ(text_trim_right(bytes({'a', 0xA0})), bytes({'a', 0xA0}));  // no-break space stays
}

// The Windows-1252 case pairs, written out independently of the code.
std::map<int, int> upper_to_lower_pairs() {
    std::map<int, int> pairs;
    const char* upper_ascii = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const char* lower_ascii = "abcdefghijklmnopqrstuvwxyz";
    for (int i = 0; i < 26; ++i) pairs[upper_ascii[i]] = lower_ascii[i];
    const int accented_upper[] = {0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9,
                                  0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3,
                                  0xD4, 0xD5, 0xD6, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE};
    const int accented_lower[] = {0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9,
                                  0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3,
                                  0xF4, 0xF5, 0xF6, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE};
    for (int i = 0; i < 30; ++i) pairs[accented_upper[i]] = accented_lower[i];
    pairs[0x8A] = 0x9A;  // Š š
    pairs[0x8C] = 0x9C;  // Œ œ
    pairs[0x8E] = 0x9E;  // Ž ž
    pairs[0x9F] = 0xFF;  // Ÿ ÿ
    return pairs;
}

TEST(TextCase, EveryByteThroughUpperAndLower) {
    std::map<int, int> to_lower = upper_to_lower_pairs();
    std::map<int, int> to_upper;
    for (auto [u, l] : to_lower) to_upper[l] = u;
    ASSERT_EQ(to_lower.size(), 60u);
    ASSERT_EQ(to_upper.size(), 60u);
    for (int b = 0; b < 256; ++b) {
        Text one(1, static_cast<char>(b));
        int want_lower = to_lower.count(b) ? to_lower[b] : b;
        int want_upper = to_upper.count(b) ? to_upper[b] : b;
        EXPECT_EQ(text_lower(one), Text(1, static_cast<char>(want_lower))) << "byte " << b;
        EXPECT_EQ(text_upper(one), Text(1, static_cast<char>(want_upper))) << "byte " << b;
    }
}

TEST(TextCase, Words) {
    EXPECT_EQ(text_upper(bytes({0xE4, '-', 'd', 'a', 't', 'e', 'i'})),
              bytes({0xC4, '-', 'D', 'A', 'T', 'E', 'I'}));
    EXPECT_EQ(text_lower(bytes({0xC4, 0xD6, 0xDC})), bytes({0xE4, 0xF6, 0xFC}));
    EXPECT_EQ(text_upper(bytes({0xDF})), bytes({0xDF}));  // sharp s
    EXPECT_EQ(text_lower(bytes({0xDF})), bytes({0xDF}));
    EXPECT_EQ(text_upper(bytes({0xD7, 0xF7})), bytes({0xD7, 0xF7}));
    EXPECT_EQ(text_lower(bytes({0xD7, 0xF7})), bytes({0xD7, 0xF7}));
    EXPECT_EQ(text_upper(""), "");
    EXPECT_EQ(text_lower("Mo. 01.12. 20:15"), "mo. 01.12. 20:15");
}

TEST(TextCompare, EqualAndGreater) {
    EXPECT_TRUE(text_equal("", ""));
    EXPECT_TRUE(text_equal("abc", "abc"));
    EXPECT_FALSE(text_equal("abc", "ABC"));
    EXPECT_FALSE(text_equal("abc", "abc "));
    EXPECT_FALSE(text_equal("", " "));

    EXPECT_FALSE(text_greater("", ""));
    EXPECT_TRUE(text_greater("a", ""));
    EXPECT_FALSE(text_greater("", "a"));
    EXPECT_TRUE(text_greater(bytes({0xE4}), "z"));  // bytes are unsigned
    EXPECT_FALSE(text_greater("z", bytes({0xE4})));
    EXPECT_TRUE(text_greater(bytes({0x80}), bytes({0x7F})));
    EXPECT_TRUE(text_greater("abc", "ab"));
    EXPECT_FALSE(text_greater("ab", "abc"));
    EXPECT_FALSE(text_greater("abc", "abc"));
    EXPECT_TRUE(text_greater("b", "abc"));
    EXPECT_TRUE(text_greater("a", "Z"));
}

TEST(TextCompare, EqualIgnoreCase) {
    EXPECT_TRUE(text_equal_ignore_case("ZDF HD", "zdf hd"));
    EXPECT_TRUE(text_equal_ignore_case(bytes({0xC4, 0x8A, 0x9F}), bytes({0xE4, 0x9A, 0xFF})));
    EXPECT_TRUE(text_equal_ignore_case("", ""));
    EXPECT_FALSE(text_equal_ignore_case("zdf", "zdf "));
    EXPECT_FALSE(text_equal_ignore_case(bytes({0xD7}), bytes({0xF7})));
    EXPECT_FALSE(text_equal_ignore_case("@", "`"));
}

// Large inputs: a quadratic pass would take minutes here, a linear one
// a fraction of a second. The results are checked in full.
TEST(TextLarge, ReplaceAndRemoveOnTenMegabytes) {
    const std::size_t kUnits = 2'500'000;  // 4 bytes each: 10 MB
    Text text;
    text.reserve(kUnits * 4);
    for (std::size_t i = 0; i < kUnits; ++i) text += "ab\\c";

    Text replaced = text_replace_all(text, "\\", "<>");
    ASSERT_EQ(replaced.size(), kUnits * 5);
    EXPECT_EQ(replaced.substr(0, 10), "ab<>cab<>c");
    EXPECT_EQ(replaced.find('\\'), Text::npos);

    Text removed = text_remove_all(text, "\\", false);
    ASSERT_EQ(removed.size(), kUnits * 3);
    EXPECT_EQ(removed.find('\\'), Text::npos);
    EXPECT_EQ(removed.substr(removed.size() - 6), "abcabc");

    Text removed_folded = text_remove_all(text, "B\\C", true);
    ASSERT_EQ(removed_folded.size(), kUnits);
    EXPECT_EQ(removed_folded, Text(kUnits, 'a'));

    // Every byte a match, replaced by something longer.
    Text spaces(10'000'000, ' ');
    Text grown = text_replace_all(spaces, " ", "--");
    ASSERT_EQ(grown.size(), 20'000'000u);
    EXPECT_EQ(grown.find_first_not_of('-'), Text::npos);

    // Touching matches of a longer pattern.
    Text shrunk = text_replace_all(spaces, "   ", " + ");
    ASSERT_EQ(shrunk.size(), spaces.size());
    EXPECT_EQ(shrunk.substr(0, 7), " +  +  ");
    EXPECT_EQ(shrunk.substr(shrunk.size() - 2), "  ");  // 10'000'000 = 3 * 3'333'333 + 1
}

}  // namespace
