// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>

// The site the benchmarks analyse and the total its pages announce (past the cap, so a run walks
// all twenty pages).
inline constexpr const char16_t* benchSite = u"example.com";
inline constexpr int benchSiteTotal = 23817;

// A result page as the explorer sends it: a header with the total, fifty results numbered from
// `b`, each with a title, a snippet and the shown address, and a footer with the page links.
// About 12 KB of UTF-8. Result n links from one of `hosts` hosts, picked by n.
QByteArray benchResultPage(int b, int hosts);

// The twenty pages of a 1000-result run by their `b` (1, 51, ..., 951).
QHash<int, QByteArray> benchRunPages(int hosts);
