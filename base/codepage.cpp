// Windows-1252 <-> Unicode: UTF-8, and UTF-16 for Windows.
#include "base/codepage.h"

#include <cstddef>

namespace {

// Code points of the bytes 0x80 to 0x9F. The five bytes Windows-1252 leaves
// unassigned map to the C1 control of the same value, so they round-trip.
constexpr char32_t ROW_80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one well-formed UTF-8 sequence at utf8[pos] (shortest form, at
// most U+10FFFF, surrogates only with allow_surrogates, as WTF-8 encodes
// them). Returns its length, or 0 if the bytes there do not begin one; *cp
// receives the code point.
std::size_t decode_utf8(const std::string& utf8, std::size_t pos, char32_t* cp,
                        bool allow_surrogates = false) {
    auto byte = [&utf8](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    unsigned char lead = byte(pos);
    std::size_t length;
    char32_t value;
    char32_t minimum;
    if (lead < 0x80) {
        *cp = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return 0;  // continuation byte, C0/C1 overlong lead, or F5-FF
    }
    if (utf8.size() - pos < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        unsigned char next = byte(pos + i);
        if ((next & 0xC0u) != 0x80u) return 0;
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF) return 0;
    if (!allow_surrogates && value >= 0xD800 && value <= 0xDFFF) return 0;
    *cp = value;
    return length;
}

// The Unicode code point of one Windows-1252 byte.
char32_t cp1252_to_codepoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return ROW_80[byte - 0x80];
    return byte;
}

}  // namespace

int codepoint_to_cp1252(char32_t codepoint) {
    if (codepoint < 0x80 || (codepoint >= 0xA0 && codepoint <= 0xFF)) {
        return static_cast<int>(codepoint);
    }
    for (int i = 0; i < 32; ++i) {
        if (ROW_80[i] == codepoint) return 0x80 + i;
    }
    return -1;
}

Text cp1252_from_utf8(const std::string& utf8) {
    Text result;
    result.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size() && utf8[pos] != '\0') {
        char32_t cp = 0;
        std::size_t length = decode_utf8(utf8, pos, &cp);
        if (length == 0) {
            // A malformed byte stands for itself only; the scan resumes at
            // the next byte, so a broken sequence costs one '?' per byte.
            result.push_back('?');
            ++pos;
            continue;
        }
        int byte = codepoint_to_cp1252(cp);
        result.push_back(byte < 0 ? '?' : static_cast<char>(byte));
        pos += length;
    }
    return result;
}

bool cp1252_holds_utf8(const std::string& utf8) {
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = decode_utf8(utf8, pos, &cp);
        if (length == 0 || codepoint_to_cp1252(cp) < 0) return false;
        pos += length;
    }
    return true;
}

Text cp1252_from_utf8_or_cp1252(const std::string& text) {
    const Text head = text.substr(0, text.find('\0'));
    return utf8_is_valid(head) ? cp1252_from_utf8(head) : head;
}

bool ascii_only(const std::string& bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool utf8_is_valid(const std::string& bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t cp = 0;
        const std::size_t length = decode_utf8(bytes, pos, &cp);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

std::u16string utf16_from_wtf8(const std::string& wtf8) {
    std::u16string result;
    result.reserve(wtf8.size());
    std::size_t pos = 0;
    while (pos < wtf8.size()) {
        char32_t cp = 0;
        std::size_t length = decode_utf8(wtf8, pos, &cp, true);
        if (length == 0) {
            result.push_back(u'\uFFFD');
            ++pos;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(cp));
        }
        pos += length;
    }
    return result;
}

std::string wtf8_from_utf16(const std::u16string& utf16) {
    std::string result;
    result.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        }
        append_utf8(result, cp);  // a lone surrogate keeps its own three bytes
    }
    return result;
}

std::u16string cp1252_to_utf16(std::string_view text) {
    std::u16string result;
    result.reserve(text.size());
    // Every Windows-1252 character lies in the Basic Multilingual Plane.
    for (char c : text)
        result.push_back(static_cast<char16_t>(cp1252_to_codepoint(static_cast<unsigned char>(c))));
    return result;
}

Text cp1252_from_utf16(const std::u16string& utf16, bool no_break_space_as_space) {
    Text result;
    result.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size() && utf16[i] != 0; ++i) {
        const char16_t unit = utf16[i];
        // A surrogate pair is one character, which Windows-1252 lacks.
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF)
            ++i;
        if (no_break_space_as_space && unit == 0xA0) {
            result.push_back(' ');
            continue;
        }
        const int byte = codepoint_to_cp1252(unit);
        result.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return result;
}
