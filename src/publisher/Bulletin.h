// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The publisher's news bulletin as its server sends it:
//   version "{update}" caption "[Q|Z]" link "{Q|Z}" caption "[Q|Z]" link ...
// The markers are plain text, matched exactly and case-sensitively; nothing is trimmed and empty
// pieces count.
struct NewsItem {
    QString caption;
    std::optional<QString> link; // none when the item has no "[Q|Z]"
};

struct Bulletin {
    // There are four news labels; items after the fourth are dropped together with their links.
    static constexpr int maxItems = 4;

    // The publisher's current version; none unless the text before the first "{update}" is a
    // whole decimal number that fits in 32 bits.
    std::optional<qint32> version;
    // Whether the text holds exactly one "{update}" followed by a non-empty news part; only then
    // are there items, and only then are the labels touched.
    bool hasNews = false;
    QList<NewsItem> items; // at most maxItems, in the order sent
};

Bulletin parseBulletin(QStringView text);
