// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Widgets lay out the whole of a text each time they measure or paint it, which for a megabyte
// from a hostile server takes long enough to freeze the window at every repaint. No screen shows
// a line longer than this many characters, so no widget is given more.
inline constexpr qsizetype maxShownLength = 4096;

// `text`, cut after maxShownLength UTF-16 units; a surrogate pair is never cut in two.
QString shownText(const QString& text);

// `text` as one line of at most `maxLength` characters, for a caption that must keep to its
// place and read as what it holds: each invisible control (see PlainText.h) shows as U+FFFD,
// and a longer text is cut, ending in "…".
QString oneLine(const QString& text, qsizetype maxLength);
