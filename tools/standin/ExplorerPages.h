// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The stand-in site explorer's result pages. Everything follows from the site text alone (letter
// case ignored), so a site always gives the same analysis, and result k is the same whichever
// page it is listed on. Sites worth remembering:
//
//   none.example     0 results
//   small.example    37 results, all on the first page
//   medium.example   420 results, nine pages
//   big.example      12345 results; an analysis stops at result 1000 (page b = 951)
//
// Any other site takes its total from a hash: about a third each get 1-49, 100-899 and
// 1001-100000 results.

inline constexpr int explorerPageSize = 50;

struct ExplorerResult {
    QString link; // the href text exactly as it stands in the markup (entities not decoded)
    QString title;
    QString snippet;
};

int explorerTotal(QStringView site);
ExplorerResult explorerResult(QStringView site, int number);

// The UTF-8 HTML page for the results numbered b to b + 49 that exist. `withResults` false gives
// the same page with its result list left empty, as the explorer sometimes sends. In a `round`
// after the first (0), about a fifth of the results are others, as a site's links change over
// time: some hosts come, some go.
QByteArray explorerPage(QStringView site, int b, bool withResults = true, int round = 0);
