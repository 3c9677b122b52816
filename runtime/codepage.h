// Windows-1252 <-> Unicode at the boundary to the operating system.
//
// Inside the program every text is Windows-1252. Only the platform layer
// converts: command-line arguments, paths, the clipboard and widget texts.
// A character without a Windows-1252 form becomes '?'. The five bytes that
// Windows-1252 leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// code points of the same value, so every byte survives a round trip.
#pragma once

#include <string>

#include "runtime/text.h"

// The Unicode code point of one Windows-1252 byte.
char32_t cp1252_to_codepoint(unsigned char byte);
// The Windows-1252 byte of a code point, or -1 when it has none.
int codepoint_to_cp1252(char32_t codepoint);

// UTF-8 -> Windows-1252; malformed UTF-8 bytes and unmappable characters
// become '?'. The result ends at the first 0 byte.
Text cp1252_from_utf8(const std::string& utf8);
// Windows-1252 -> UTF-8.
std::string cp1252_to_utf8(const Text& text);
