// Windows-1252 <-> Unicode, where a text crosses into or out of the program.
//
// Inside the program every text is Windows-1252. A text is converted where
// it crosses: the clipboard's and the widgets' texts, list files written in
// UTF-8, the reasons the system gives, and a path where it is shown (a path
// that is used keeps the system's own bytes, see base/path.h). A character
// without a Windows-1252 form becomes '?'. The five bytes that
// Windows-1252 leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// code points of the same value, so every byte survives a round trip.
#pragma once

#include <string>

#include "base/text.h"

// The Windows-1252 byte of a code point, or -1 when it has none.
int codepoint_to_cp1252(char32_t codepoint);

// UTF-8 -> Windows-1252; malformed UTF-8 bytes and unmappable characters
// become '?'. The result ends at the first 0 byte.
Text cp1252_from_utf8(const std::string& utf8);
// True when every character of well-formed UTF-8 has a Windows-1252 form.
bool cp1252_holds_utf8(const std::string& utf8);
// A system's text (an error's reason) as Windows-1252: UTF-8 where it is
// well-formed UTF-8, else taken to be Windows-1252 already. The result ends
// at the first 0 byte.
Text cp1252_from_utf8_or_cp1252(const std::string& text);
// True when every byte is ASCII (below 0x80): the same text in UTF-8 and
// in Windows-1252.
bool ascii_only(const std::string& bytes);
// True when the bytes are well-formed UTF-8 throughout (shortest forms, no
// surrogates, nothing beyond U+10FFFF).
bool utf8_is_valid(const std::string& bytes);

// UTF-16, for the Windows boundary. A path's bytes there are WTF-8: UTF-8
// in which a lone surrogate of a UTF-16 name keeps a three-byte sequence of
// its own, so that every name the system gives round-trips.
//
// WTF-8 -> UTF-16; a byte that begins no sequence becomes U+FFFD.
std::u16string utf16_from_wtf8(const std::string& wtf8);
// UTF-16 -> WTF-8: surrogate pairs joined, lone surrogates kept.
std::string wtf8_from_utf16(const std::u16string& utf16);
// Windows-1252 -> UTF-16.
std::u16string cp1252_to_utf16(std::string_view text);
// UTF-16 -> Windows-1252: '?' for every character Windows-1252 lacks (a
// surrogate pair or a lone surrogate is one); the text ends before the first
// U+0000. With no_break_space_as_space, U+00A0 becomes a plain space.
Text cp1252_from_utf16(const std::u16string& utf16, bool no_break_space_as_space = false);
