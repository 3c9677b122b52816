// Texts crossing into and out of Qt. Inside the program a text is
// Windows-1252 bytes; Qt holds Unicode.
#pragma once

#include <QString>

#include "base/text.h"

// Every byte as its Windows-1252 character.
QString qt_text_from_cp1252(std::string_view text);

// Every character as its Windows-1252 byte, '?' where it has none. The text
// ends before the first U+0000. With no_break_space_as_space, U+00A0 becomes
// a plain space (what a browser copies between words of a web page).
Text qt_text_to_cp1252(const QString& text, bool no_break_space_as_space = false);
