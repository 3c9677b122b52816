#include "runtime/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The assigned characters of the row 0x80-0x9F as UTF-8 literals.
struct RowEntry {
    int byte;
    const char* utf8;
};
const RowEntry kRow[] = {
    {0x80, "\u20AC"}, {0x82, "\u201A"}, {0x83, "\u0192"}, {0x84, "\u201E"}, {0x85, "\u2026"},
    {0x86, "\u2020"}, {0x87, "\u2021"}, {0x88, "\u02C6"}, {0x89, "\u2030"}, {0x8A, "\u0160"},
    {0x8B, "\u2039"}, {0x8C, "\u0152"}, {0x8E, "\u017D"}, {0x91, "\u2018"}, {0x92, "\u2019"},
    {0x93, "\u201C"}, {0x94, "\u201D"}, {0x95, "\u2022"}, {0x96, "\u2013"}, {0x97, "\u2014"},
    {0x98, "\u02DC"}, {0x99, "\u2122"}, {0x9A, "\u0161"}, {0x9B, "\u203A"}, {0x9C, "\u0153"},
    {0x9E, "\u017E"}, {0x9F, "\u0178"},
};

Text byte_text(int b) {
    return Text(1, static_cast<char>(b));
}

TEST(Codepage, SpecialRowBothWays) {
    for (const RowEntry& e : kRow) {
        EXPECT_EQ(cp1252_to_utf8(byte_text(e.byte)), e.utf8) << "byte " << e.byte;
        EXPECT_EQ(cp1252_from_utf8(e.utf8), byte_text(e.byte)) << "byte " << e.byte;
    }
    EXPECT_EQ(cp1252_to_codepoint(0x80), U'\u20AC');
    EXPECT_EQ(codepoint_to_cp1252(U'\u20AC'), 0x80);
    EXPECT_EQ(codepoint_to_cp1252(0x0178), 0x9F);
}

TEST(Codepage, UnassignedBytesMapToSameCodePoint) {
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(cp1252_to_codepoint(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
        EXPECT_EQ(codepoint_to_cp1252(static_cast<char32_t>(b)), b);
    }
    // The other C1 controls have a character in their byte instead.
    for (int cp : {0x80, 0x82, 0x8A, 0x9F}) EXPECT_EQ(codepoint_to_cp1252(static_cast<char32_t>(cp)), -1) << cp;
}

TEST(Codepage, LatinOneRangeIsIdentity) {
    for (int b = 0; b < 0x80; ++b) EXPECT_EQ(cp1252_to_codepoint(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
    for (int b = 0xA0; b < 0x100; ++b) {
        EXPECT_EQ(cp1252_to_codepoint(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
        EXPECT_EQ(codepoint_to_cp1252(static_cast<char32_t>(b)), b);
    }
    EXPECT_EQ(cp1252_to_utf8("\xE4"), "\u00E4");
    EXPECT_EQ(cp1252_from_utf8("Bitte Datei zum Laden ausw\u00E4hlen"), "Bitte Datei zum Laden ausw\xE4hlen");
}

TEST(Codepage, EveryByteRoundTrips) {
    Text all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::string utf8 = cp1252_to_utf8(all);
    EXPECT_EQ(cp1252_from_utf8(utf8), all);
    for (int b = 0; b < 256; ++b) {
        char32_t cp = cp1252_to_codepoint(static_cast<unsigned char>(b));
        EXPECT_EQ(codepoint_to_cp1252(cp), b) << "byte " << b;
    }
}

TEST(Codepage, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(codepoint_to_cp1252(0x0100), -1);
    EXPECT_EQ(codepoint_to_cp1252(0x10FFFF), -1);
    EXPECT_EQ(cp1252_from_utf8("a\u4E2Db"), "a?b");          // 3-byte character: one '?'
    EXPECT_EQ(cp1252_from_utf8("\U0001F600!"), "?!");        // 4-byte character
    EXPECT_EQ(cp1252_from_utf8("\u0100\u20AC"), "?\x80");
}

TEST(Codepage, MalformedBytesBecomeQuestionMarks) {
    EXPECT_EQ(cp1252_from_utf8("a\x80z"), "a?z");            // stray continuation
    EXPECT_EQ(cp1252_from_utf8("a\xE4z"), "a?z");            // Latin-1 byte, not UTF-8
    EXPECT_EQ(cp1252_from_utf8("\xC3"), "?");                // cut off at the end
    EXPECT_EQ(cp1252_from_utf8("\xE2\x82z"), "??z");         // cut off in the middle
    EXPECT_EQ(cp1252_from_utf8("\xC0\xAF"), "??");           // overlong '/'
    EXPECT_EQ(cp1252_from_utf8("\xE0\x80\xAF"), "???");      // overlong '/'
    EXPECT_EQ(cp1252_from_utf8("\xED\xA0\x80"), "???");      // surrogate
    EXPECT_EQ(cp1252_from_utf8("\xF4\x90\x80\x80"), "????"); // above U+10FFFF
    EXPECT_EQ(cp1252_from_utf8("\xFF\xFE"), "??");
}

TEST(Codepage, EndsAtFirstZeroByte) {
    std::string with_zero("ab\0cd", 5);
    EXPECT_EQ(cp1252_from_utf8(with_zero), "ab");
    std::string zero_in_sequence("x\xC3\0\xA4", 4);
    EXPECT_EQ(cp1252_from_utf8(zero_in_sequence), "x?");
    EXPECT_EQ(cp1252_from_utf8(std::string("\0", 1)), "");
    EXPECT_EQ(cp1252_from_utf8(""), "");
}

}  // namespace
