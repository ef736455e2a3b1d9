// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class HostTally;

// The site a snapshot is kept under. A run's is the site box's text, trimmed and in lower case.
QString runSite(const QString& siteBox);
// An import's is the site box's text when it holds one; else `targetDomain`, the registrable
// domain most addresses of the exports' target column are on, when they have such a column;
// else the first file's name without its folder and extension.
QString importSite(const QString& siteBox, const QString& targetDomain, const QString& firstFile);
// The registrable domain most of the tally's links point to, by the target pages its exports
// gave; empty when they gave none. Looks at about 2000 links spread over the tally, so a
// million-link import is read in a few milliseconds.
QString targetDomain(const HostTally& tally);
