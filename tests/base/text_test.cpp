// The text arena, the hash, the byte scanner, and the Windows-1252 conversions.
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

// Kept texts stay as the arena grows, across block ends.
TEST(TextArena, KeptTextsStayAsTheArenaGrows) {
    TextArena arena;
    std::vector<std::pair<std::uint32_t, Text>> kept;
    for (int i = 0; i < 5000; ++i) {
        const Text text(i % 256, static_cast<char>('a' + i % 26));
        kept.emplace_back(text_arena_add_placed(arena, text), text);
    }
    for (const auto& [place, text] : kept) ASSERT_EQ(text_arena_at(arena, place), text);
}

// Journals on disk hold checksums made of the text hash: its values stay.
TEST(Hash, TextHashKeepsItsValues) {
    EXPECT_EQ(text_hash("a"), 0xAE1DE9E76DB8203Cull);
    EXPECT_EQ(text_hash("05.12.2009 20:15   Tatort"), 0x9E63545FB81AA591ull);
}

// The hash of the views' search: both forms alike at every length and with every byte, and alike
// for texts that differ in letter case alone.
TEST(Hash, TheHashThatIgnoresLetterCase) {
    Text bytes;
    for (int b = 1; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    for (std::size_t size = 0; size <= bytes.size(); ++size) {
        const Text text = bytes.substr(bytes.size() - size);
        ASSERT_EQ(text_hash_ignore_case(text), text_hash_ignore_case_plain(text)) << size;
        ASSERT_EQ(text_hash_ignore_case(text_upper(text)), text_hash_ignore_case(text_lower(text))) << size;
        ASSERT_NE(text_hash_ignore_case(text), text_hash_ignore_case(text + " ")) << size;
    }
    EXPECT_NE(text_hash_ignore_case("\xD7"), text_hash_ignore_case("\xF7"));  // signs, not letters
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
    // Lines that go across as they are: mostly CR LF lines of up to 40 bytes,
    // now and then a space before the CR, a tab, a lone CR or LF, a 0 byte,
    // the bytes ending anywhere, so that every kind of line end falls on
    // every place of the 32-byte loads and the end inside a line.
    for (int i = 0; i < 20000; ++i) {
        Text text;
        while (text.size() < 160) {
            text.append(rng() % 41, 'a');
            const std::string_view ends[] = {" \r\n", "\t", "\r", "\n", std::string_view("\0", 1)};
            const std::size_t kind = rng() % 24;
            text.append(kind < 19 ? "\r\n" : ends[kind - 19]);
        }
        const char* const from = text.data() + rng() % 40;
        const char* const to = from + rng() % static_cast<std::size_t>(text.data() + text.size() + 1 - from);
        const int count = 1 + static_cast<int>(rng() % 8);
        std::vector<std::string_view> walked;
        for (const char* line = from; static_cast<int>(walked.size()) < count;) {
            const char* stop = line;
            while (stop != to && *stop != '\n' && *stop != '\r' && *stop != '\0') ++stop;
            if (to - stop < 2 || stop[1] != '\n' || *stop != '\r' || (stop != line && stop[-1] == ' ')) break;
            walked.emplace_back(line, static_cast<std::size_t>(stop - line));
            line = stop + 2;
        }
        std::string_view lines[8], plain[8];
        ASSERT_EQ(byte_scan_verbatim_lines(from, to, count, lines), static_cast<int>(walked.size())) << i;
        ASSERT_EQ(byte_scan_verbatim_lines_plain(from, to, count, plain), static_cast<int>(walked.size())) << i;
        for (std::size_t k = 0; k < walked.size(); ++k) {
            ASSERT_TRUE(lines[k].data() == walked[k].data() && lines[k].size() == walked[k].size()) << i << " " << k;
            ASSERT_TRUE(plain[k].data() == walked[k].data() && plain[k].size() == walked[k].size()) << i << " " << k;
        }
    }
}

// Unmappable and malformed UTF-8 (an overlong form, a surrogate, one cut short) is '?'; a 0 byte
// ends the text. A system's reason: UTF-8 where it is that, else Windows-1252 already.
TEST(Codepage, Utf8UnmappableMalformedAndZero) {
    for (auto [utf8, want] : Cases{
             {"\u20AC\u0178\xC2\x81", "\x80\x9F\x81"}, {"\U0001F600!", "?!"}, {"a\x80z", "a?z"}, {"\xE2\x82z", "??z"},
             {"\xC0\xAF", "??"}, {"\xED\xA0\x80", "???"}, {std::string("x\xC3\0\xA4", 4), "x?"}})
        EXPECT_EQ(cp1252_from_utf8(utf8), want);
    EXPECT_EQ(cp1252_from_utf8_or_cp1252("verf\xC3\xBCgbar \xE2\x80\x93"), "verf\xFCgbar \x96");
    EXPECT_EQ(cp1252_from_utf8_or_cp1252("Datentr\xE4ger \x96 voll"), "Datentr\xE4ger \x96 voll");
}

// UTF-16 at the Windows boundary: names keep every unit, a lone surrogate too; texts become Windows-1252.
TEST(Codepage, Utf16NamesAndTexts) {
    const std::u16string name = u"\u0141\u00F3d\u017A\\\U0001F600 M\u00E4rz", lone{u'a', char16_t(0xDC00)};
    EXPECT_EQ(utf16_from_wtf8(wtf8_from_utf16(name)), name);
    EXPECT_EQ(utf16_from_wtf8(wtf8_from_utf16(lone)), lone);
    EXPECT_EQ(cp1252_to_utf16("\x80\xE4\x81"), u"\u20AC\u00E4\u0081");
    EXPECT_EQ(cp1252_from_utf16(u"G\u00E4ste \u20AC\U0001F3AC"), "G\xE4ste \x80?");
    EXPECT_EQ(cp1252_from_utf16(std::u16string{u'x', char16_t(0xD800), u'y', 0, u'z'}), "x?y");
    EXPECT_EQ(cp1252_from_utf16(u"5\u00A0\u20AC", true), "5 \x80");
}

}  // namespace
