// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// What the columns of a link export hold, told from its first rows: which column names the
// linking pages (or, in a file of referring domains, the linking domains), and which hold the
// page linked to, the anchor text, the link's rel and a domain's count of links.
struct ExportLayout {
    enum class Kind {
        Pages,   // one linking page a row: the common backlinks and latest-links files
        Domains, // one linking domain a row, written bare, often with its number of links
        Targets, // only the site's own pages, linked to: nothing in it says who links
    };
    // How the rel column says a link is nofollow.
    enum class Rel {
        Words,    // the rel attribute's words ("nofollow ugc")
        Nofollow, // a flag that is true for a nofollow link
        Follow,   // a flag that is false for a nofollow link
    };

    Kind kind = Kind::Pages;
    bool header = false; // the first row names the columns
    // Columns, -1 where the file has none.
    qsizetype link = -1; // the linking page, or the domain
    qsizetype target = -1;
    qsizetype anchor = -1;
    qsizetype rel = -1;
    Rel relMeans = Rel::Words;
    qsizetype count = -1; // a domain's links
};

// The layout of a file whose first rows, split into cells, are `sample` (a header, if any, and
// the rows after it).
ExportLayout recognizeLayout(const QList<QStringList>& sample);

// The domain a referring-domain cell names: in lower case, without a user or port. Empty when the
// cell (already trimmed) is not a bare domain name.
QString bareDomain(QStringView cell);

// A domain's count of links as a count cell gives it ("1,240" and "1 240" are 1240); 1 when it
// gives none.
qint64 domainLinkCount(QStringView cell);

// Whether the rel cell of a link says nofollow.
bool isNofollow(ExportLayout::Rel means, QStringView cell);
