// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CodePage.h"

#include "Iconv.h"

QByteArray toAnsiCodePage(QStringView text)
{
    Iconv iconv(ansiCodePageName, Iconv::utf16Name());
    return iconv.encode(text, '?');
}
