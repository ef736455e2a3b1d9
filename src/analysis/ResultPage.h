// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// The explorer lists fifty results to a page and never more than the first thousand.
inline constexpr qint32 resultPageStep = 50;
inline constexpr qint32 resultCap = 1000;

// What one result page of the site explorer holds.
struct ResultPage {
    struct Result {
        qint32 number; // the number printed in front of the result; a larger one reads as the
                       // largest 32-bit number, so it is past any total
        QString link;  // the href as a browser reads it (see htmlAttributeValue())
        QString host;  // see hostOfLink() and parseResultPage()
    };

    // The number of results the page announces, at most resultCap (a number too large for 32
    // bits counts as the cap); none when the page does not say.
    std::optional<qint32> total;
    std::vector<Result> results; // in page order
};

// Reads the total and the results of a page, at most the first resultPageStep; the markup matches
// regardless of letter case. A link without a host is given the host of the result before it on the
// page, or the empty host when it is the page's first.
ResultPage parseResultPage(const QString& html);

// The host part of a link: what stands between the first "http://" (any letter case) that is
// followed by a slash further on and that slash. Empty when there is none, as for a link without
// a slash after the host or of another scheme.
QStringView hostOfLink(QStringView link);
