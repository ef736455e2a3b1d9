// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WebAddress.h"

#include "BrowserAddress.h"

bool isWebAddress(QStringView address)
{
    return address.startsWith(u"http://", Qt::CaseInsensitive) ||
           address.startsWith(u"https://", Qt::CaseInsensitive);
}

QUrl webPageToOpen(const QString& text)
{
    const QString address = text.trimmed();
    if (address.size() > maxWebAddressLength || !isWebAddress(address))
        return {};
    // The scheme was read from the text; the parsed address must agree, and name a host, as a
    // browser would otherwise hand it on to whatever else claims it.
    const QUrl url = browserAddress(address);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return {};
    return url;
}
