// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Bulletin.h"

namespace {

constexpr QStringView updateMarker = u"{update}";
constexpr QStringView itemMarker = u"{Q|Z}";
constexpr QStringView fieldMarker = u"[Q|Z]";

// A whole decimal number: an optional minus sign and ASCII digits, nothing around them.
std::optional<qint32> readVersion(QStringView text)
{
    const QStringView digits = text.startsWith(u'-') ? text.sliced(1) : text;
    if (digits.isEmpty())
        return std::nullopt;
    for (QChar c : digits)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

NewsItem readItem(QStringView item)
{
    const qsizetype field = item.indexOf(fieldMarker);
    if (field < 0)
        return {item.toString(), std::nullopt};
    // A second "[Q|Z]" and what follows it are not part of the link.
    const QStringView rest = item.sliced(field + fieldMarker.size());
    const qsizetype extra = rest.indexOf(fieldMarker);
    return {item.first(field).toString(), (extra < 0 ? rest : rest.first(extra)).toString()};
}

} // namespace

Bulletin parseBulletin(QStringView text)
{
    Bulletin bulletin;
    const qsizetype marker = text.indexOf(updateMarker);
    bulletin.version = readVersion(marker < 0 ? text : text.first(marker));
    if (marker < 0)
        return bulletin;
    const QStringView news = text.sliced(marker + updateMarker.size());
    if (news.contains(updateMarker) || news.isEmpty())
        return bulletin;

    bulletin.hasNews = true;
    for (QStringView item : news.tokenize(itemMarker)) {
        if (bulletin.items.size() == Bulletin::maxItems)
            break;
        bulletin.items.append(readItem(item));
    }
    return bulletin;
}
