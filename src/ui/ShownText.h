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
