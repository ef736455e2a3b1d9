// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PlainText.h"

#include <QChar>

bool isInvisibleControl(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

bool holdsInvisibleControl(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(text[i], text[i + 1]), ++i;
        if (isInvisibleControl(c))
            return true;
    }
    return false;
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
