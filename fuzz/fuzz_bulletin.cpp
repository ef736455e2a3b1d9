// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The publisher's bulletin, decoded from GB2312 as the window asks for it, then parsed.
#include "http/BytesToText.h"
#include "publisher/Bulletin.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

bool holdsMarker(QStringView piece)
{
    return piece.contains(u"{Q|Z}") || piece.contains(u"[Q|Z]");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = bytesToText(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), u"GB2312");
    const Bulletin bulletin = parseBulletin(text);

    const qsizetype marker = text.indexOf(u"{update}");
    const bool oneMarker = marker >= 0 && text.count(u"{update}") == 1;
    const bool expectNews = oneMarker && marker + 8 < text.size();
    if (bulletin.hasNews != expectNews || bulletin.items.size() > Bulletin::maxItems ||
        (!bulletin.hasNews && !bulletin.items.isEmpty()) ||
        (bulletin.hasNews && bulletin.items.isEmpty()))
        __builtin_trap();

    if (bulletin.version) {
        bool ok = false;
        const int value = QStringView(text).first(marker < 0 ? text.size() : marker).toInt(&ok);
        if (!ok || value != *bulletin.version)
            __builtin_trap();
    }
    for (const NewsItem& item : bulletin.items) {
        if (holdsMarker(item.caption) || !text.contains(item.caption))
            __builtin_trap();
        if (item.link && (holdsMarker(*item.link) || !text.contains(*item.link)))
            __builtin_trap();
    }
    return 0;
}
