// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringView>
#include <QUrl>

// Browsers and search engines take no address longer than this; a longer "link" is not one.
inline constexpr qsizetype maxWebAddressLength = 2048;

// Whether `address` (already trimmed) is a web page: "http://" or "https://" in any letter case.
// Link exports and result pages come from others; an address of any other kind (a file, a share,
// a terminal program, a script) is not a backlink, and nothing of it is ever opened.
bool isWebAddress(QStringView address);

// The address the browser is asked to open for a link's text, or an empty QUrl when the text
// is no web page with a host or is longer than maxWebAddressLength: then nothing is opened.
QUrl webPageToOpen(const QString& text);
