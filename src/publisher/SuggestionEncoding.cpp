// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SuggestionEncoding.h"

#include "platform/CodePage.h"

namespace {

bool keptAsIs(uchar c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '*' ||
           c == '-' || c == '.' || c == '@' || c == '_';
}

// In code page 936 a byte from 0x81 to 0xFE opens a two-byte character; every other byte is a
// character of its own, and ASCII stands for itself. A trail byte may look like an ASCII letter
// or "@", so the text is walked character by character, never byte by byte.
bool isLeadByte(uchar c)
{
    return c >= 0x81 && c <= 0xFE;
}

void appendEscaped(QChar*& out, uchar byte)
{
    static constexpr char16_t hex[] = u"0123456789ABCDEF";
    *out++ = u'%';
    *out++ = hex[byte >> 4];
    *out++ = hex[byte & 0x0F];
}

} // namespace

QString encodeSuggestion(QStringView text)
{
    // One conversion for the whole text: the code page is stateless, so the bytes of the whole
    // text are those of its units one after another.
    const QByteArray bytes = toAnsiCodePage(text);
    QString encoded(bytes.size() * 3, Qt::Uninitialized);
    QChar* out = encoded.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar c = uchar(bytes[i]);
        if (keptAsIs(c)) {
            *out++ = QLatin1Char(char(c));
        } else if (c == ' ') {
            *out++ = u'+';
        } else {
            appendEscaped(out, c);
            if (isLeadByte(c) && i + 1 < bytes.size())
                appendEscaped(out, uchar(bytes[++i]));
        }
    }
    encoded.truncate(out - encoded.constData());
    return encoded;
}
