// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShownText.h"

QString shownText(const QString& text)
{
    if (text.size() <= maxShownLength)
        return text;
    const bool splitsPair =
        text[maxShownLength - 1].isHighSurrogate() && text[maxShownLength].isLowSurrogate();
    return text.first(splitsPair ? maxShownLength - 1 : maxShownLength);
}
