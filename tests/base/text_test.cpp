// Text primitives at their edges, the text arena, the hash, the byte
// scanner, and the Windows-1252 conversions.
#include "base/byte_scan.h"
#include "base/codepage.h"
#include "base/hash.h"
#include "base/text.h"
#include "base/text_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Cases = std::initializer_list<std::pair<Text, Text>>;

TEST(Text, RightReplaceTrim) {
    for (auto [got, want] : Cases{
             {text_right("abc", 2), "bc"}, {text_right("abc", 5), "abc"}, {text_replace_all("aaa", "aa", "b"), "ba"},
             {text_replace_all("aa", "a", "aa"), "aaaa"}, {text_replace_all("abcabc", "b", ""), "acac"},
             {Text(text_trim_right("abc \t ")), "abc \t"}, {Text(text_trim_right("   ")), ""},
             {Text(text_trim_right(" a ")), " a"}})
        EXPECT_EQ(got, want);
}

TEST(Text, EveryByteThroughUpperAndLower) {
    // The letter pairs of Windows-1252; every other byte has no other case.
    const Text upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x8A\x8C\x8E\x9F"
                       "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"
                       "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD\xDE";
    const Text lower = "abcdefghijklmnopqrstuvwxyz\x9A\x9C\x9E\xFF"
                       "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
                       "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE";
    Text others;  // sharp s, the multiplication and division signs among them
    for (char b = 1; b != 0; ++b)
        if ((upper + lower).find(b) == Text::npos) others += b;
    EXPECT_EQ(text_lower(upper + lower + others), lower + lower + others);
    EXPECT_EQ(text_upper(upper + lower + others), upper + upper + others);
}

// The in-place pass (a text given away) equals the copying one, for any replacement length.
TEST(Text, ReplaceAllInPlaceEqualsTheCopyingPass) {
    std::minstd_rand rng(12345);
    const auto random_text = [&](std::uint_fast32_t max) {
        Text text;
        for (auto n = rng() % (max + 1); n > 0; --n) text.push_back("ab. 1"[rng() % 5]);
        return text;
    };
    for (int i = 0; i < 20000; ++i) {
        const Text text = random_text(40), pattern = random_text(4), replacement = random_text(5);
        ASSERT_EQ(text_replace_all(Text(text), pattern, replacement), text_replace_all(text, pattern, replacement))
            << "'" << text << "' '" << pattern << "' '" << replacement << "'";
    }
}

// Texts kept stay as they were while the arena grows: short ones across
// the ends of blocks, long ones in blocks of their own between them, placed
// ones (0 to 255 bytes) found by their place. A cleared arena fills the
// blocks it has again before it makes another.
TEST(TextArena, KeptTextsStayAsTheArenaGrows) {
    TextArena arena;
    for (const int round : {0, 1}) {
        std::vector<std::pair<std::string_view, Text>> kept;
        std::vector<std::pair<std::uint32_t, Text>> placed;
        for (int i = 0; i < 3000; ++i) {
            const Text text(i % 700 == 9 ? 70000 + i : i % 256, static_cast<char>('a' + (i + round) % 26));
            kept.emplace_back(text_arena_add(arena, text), text);
            if (text.size() < 256) placed.emplace_back(text_arena_add_placed(arena, text), text);
        }
        for (const auto& [view, text] : kept) ASSERT_EQ(view, text);
        for (const auto& [at, text] : placed) ASSERT_EQ(text_arena_at(arena, at), text);
        const std::size_t blocks = arena.blocks.size();
        text_arena_clear(arena);
        EXPECT_TRUE(arena.long_texts.empty() && arena.used == 0 && arena.free == 0 && arena.blocks.size() == blocks);
    }
}

// Journals on disk hold checksums made of the text hash: its values stay.
TEST(Hash, TextHashKeepsItsValues) {
    EXPECT_EQ(text_hash(""), 0u);
    EXPECT_EQ(text_hash("a"), 0xAE1DE9E76DB8203Cull);
    EXPECT_EQ(text_hash("Tatort"), 0xDE4691B0008B4E2Cull);
    EXPECT_EQ(text_hash("05.12.2009 20:15   Tatort"), 0x9E63545FB81AA591ull);
}

// Both forms of the scanner against a byte-by-byte walk, at every offset and near every edge.
TEST(ByteScan, BothFormsFindWhatAWalkFinds) {
    std::minstd_rand rng(7);
    for (int i = 0; i < 20000; ++i) {
        Text text;
        for (auto n = rng() % 70; n > 0; --n) text.push_back(std::string_view("  a\t\\\r\n\0", 8)[rng() % 8]);
        const char* const end = text.data() + text.size();
        const char* const from = text.data() + rng() % (text.size() + 1);
        const char* walked = from;
        while (walked != end && *walked != '\n' && *walked != '\r' && *walked != '\0') ++walked;
        ASSERT_EQ(byte_scan_find(from, end, '\n', '\r', '\0'), walked) << i;
        ASSERT_EQ(byte_scan_find_plain(from, end, '\n', '\r', '\0'), walked) << i;
        const std::size_t at = static_cast<std::size_t>(from - text.data());
        ASSERT_EQ(byte_scan_find(text, at, '\t', '\\'), std::min(text.find_first_of("\t\\", at), text.size())) << i;
        const std::size_t n = 1 + rng() % 17;
        const bool run = text.find(Text(n, ' ')) != Text::npos;
        ASSERT_EQ(byte_scan_has_run(text, ' ', n), run) << i << " " << n;
        ASSERT_EQ(byte_scan_has_run_plain(text, ' ', n), run) << i << " " << n;
    }
}

TEST(Codepage, SpecialRowUnmappableMalformedAndZero) {
    const char* row[32] = {"\u20AC", nullptr, "\u201A", "\u0192", "\u201E", "\u2026", "\u2020", "\u2021",
                           "\u02C6", "\u2030", "\u0160", "\u2039", "\u0152", nullptr, "\u017D", nullptr,
                           nullptr, "\u2018", "\u2019", "\u201C", "\u201D", "\u2022", "\u2013", "\u2014",
                           "\u02DC", "\u2122", "\u0161", "\u203A", "\u0153", nullptr, "\u017E", "\u0178"};
    for (int b = 0x80; b < 0xA0; ++b) {
        const char* known = row[b - 0x80];
        EXPECT_EQ(cp1252_from_utf8(known ? known : std::string{'\xC2', static_cast<char>(b)}), Text(1, char(b))) << b;
    }
    // Unmappable and malformed input (overlong forms at their upper edge) is '?'; a 0 byte ends the text.
    for (auto [utf8, want] : Cases{
             {"a\u4E2Db", "a?b"}, {"\U0001F600!", "?!"}, {"\u0100\u20AC", "?\x80"}, {"a\x80z", "a?z"},
             {"\xC3", "?"}, {"\xE2\x82z", "??z"}, {"\xC0\xAF", "??"}, {"\xED\xA0\x80", "???"},
             {"\xF4\x90\x80\x80", "????"}, {"\xE0\x9F\xBF", "???"}, {"\xF0\x8F\xBF\xBF", "????"},
             {std::string("ab\0cd", 5), "ab"}, {std::string("x\xC3\0\xA4", 4), "x?"}})
        EXPECT_EQ(cp1252_from_utf8(utf8), want);
    // A system's reason: UTF-8 where it is that, else Windows-1252 already.
    EXPECT_EQ(cp1252_from_utf8_or_cp1252("verf\xC3\xBCgbar \xE2\x80\x93"), "verf\xFCgbar \x96");
    EXPECT_EQ(cp1252_from_utf8_or_cp1252("Datentr\xE4ger \x96 voll"), "Datentr\xE4ger \x96 voll");
    EXPECT_EQ(cp1252_from_utf8_or_cp1252(std::string("T\xE4ter\0x", 7)), "T\xE4ter");
}

// UTF-16 at the Windows boundary: names keep every unit, a lone surrogate too; texts become Windows-1252.
TEST(Codepage, Utf16NamesAndTexts) {
    const std::u16string name = u"\u0141\u00F3d\u017A\\\U0001F600 M\u00E4rz";
    EXPECT_EQ(wtf8_from_utf16(name), "\xC5\x81\xC3\xB3" "d\xC5\xBA\\\xF0\x9F\x98\x80 M\xC3\xA4rz");
    EXPECT_EQ(utf16_from_wtf8(wtf8_from_utf16(name)), name);
    for (const std::u16string& lone : {std::u16string(1, char16_t(0xD800)), std::u16string{u'a', char16_t(0xDC00)},
                                      std::u16string{char16_t(0xDC00), char16_t(0xD800)}})
        EXPECT_EQ(utf16_from_wtf8(wtf8_from_utf16(lone)), lone);
    EXPECT_EQ(wtf8_from_utf16(std::u16string(1, char16_t(0xDBFF))), "\xED\xAF\xBF");
    EXPECT_EQ(utf16_from_wtf8("a\xE4\xC3"), u"a\uFFFD\uFFFD");  // bytes that begin no sequence

    EXPECT_EQ(cp1252_to_utf16("\x80\xE4\x81"), u"\u20AC\u00E4\u0081");
    for (auto [utf16, want] : std::initializer_list<std::pair<std::u16string, Text>>{
             {u"G\u00E4ste \u20AC", "G\xE4ste \x80"}, {u"a\U0001F3ACb", "a?b"},
             {std::u16string{u'x', char16_t(0xD800), u'y'}, "x?y"}, {u"\u2192", "?"},
             {std::u16string(u"ab\0cd", 5), "ab"}, {u"a\u00A0b", "a\xA0" "b"}})
        EXPECT_EQ(cp1252_from_utf16(utf16), want);
    EXPECT_EQ(cp1252_from_utf16(u"5\u00A0\u20AC", true), "5 \x80");
}

}  // namespace
