#include "ui/qt/qt_text.h"

#include "base/codepage.h"

QString qt_text_from_cp1252(std::string_view text) {
    return QString::fromStdU16String(cp1252_to_utf16(text));
}

Text qt_text_to_cp1252(const QString& text, bool no_break_space_as_space) {
    return cp1252_from_utf16(text.toStdU16String(), no_break_space_as_space);
}
