// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Any UTF-16 text, lone surrogates included, as a suggestion the user typed.
#include "platform/CodePage.h"
#include "publisher/SuggestionEncoding.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1; // lower-case digits are not written either
}

bool keptAsIs(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c == u'*' || c == u'-' || c == u'.' || c == u'@' || c == u'_';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    const QString encoded = encodeSuggestion(text);

    // Decoding the form encoding gives back exactly the code-page bytes of the text. Only what a
    // form may not carry as it is gets escaped, and the byte after a lead byte always is.
    QByteArray decoded;
    bool trailDue = false;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QChar c = encoded[i];
        const bool escape = c == u'%' && i + 2 < encoded.size() && hexValue(encoded[i + 1]) >= 0 &&
                            hexValue(encoded[i + 2]) >= 0;
        if (trailDue && !escape)
            __builtin_trap();
        if (escape) {
            const int byte = hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]);
            if (!trailDue && (byte == ' ' || keptAsIs(QChar(byte))))
                __builtin_trap();
            trailDue = !trailDue && byte >= 0x81 && byte <= 0xFE;
            decoded += char(byte);
            i += 2;
        } else if (keptAsIs(c)) {
            decoded += char(c.unicode());
        } else if (c == u'+') {
            decoded += ' ';
        } else {
            __builtin_trap();
        }
    }
    if (decoded != toAnsiCodePage(text))
        __builtin_trap();
    return 0;
}
