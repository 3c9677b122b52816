#include "runtime/qt/qt_text.h"

#include <QList>
#include <QStringView>

#include "runtime/codepage.h"

QString qt_text_from_cp1252(const Text& text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char byte : text) {
        // Every Windows-1252 character lies in the Basic Multilingual Plane.
        const char32_t codepoint = cp1252_to_codepoint(static_cast<unsigned char>(byte));
        result.append(QChar(static_cast<char16_t>(codepoint)));
    }
    return result;
}

Text qt_text_to_cp1252(const QString& text, bool no_break_space_as_space) {
    Text result;
    result.reserve(static_cast<std::size_t>(text.size()));
    // toUcs4 joins surrogate pairs; a lone surrogate becomes U+FFFD.
    for (const char32_t codepoint : QStringView(text).toUcs4()) {
        if (codepoint == 0) break;
        if (no_break_space_as_space && codepoint == 0xA0) {
            result.push_back(' ');
            continue;
        }
        const int byte = codepoint_to_cp1252(codepoint);
        result.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return result;
}
