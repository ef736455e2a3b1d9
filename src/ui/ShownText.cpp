// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShownText.h"

#include "platform/PlainText.h"

QString shownText(const QString& text)
{
    if (text.size() <= maxShownLength)
        return text;
    const bool splitsPair =
        text[maxShownLength - 1].isHighSurrogate() && text[maxShownLength].isLowSurrogate();
    return text.first(splitsPair ? maxShownLength - 1 : maxShownLength);
}

QString oneLine(const QString& text, qsizetype maxLength)
{
    QString line;
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (++length > maxLength)
            return line + u'…';
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        if (isInvisibleControl(c))
            line += QChar::ReplacementCharacter;
        else
            line += QStringView(text).sliced(i, pair ? 2 : 1);
        i += pair;
    }
    return line;
}
