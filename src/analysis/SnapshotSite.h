// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The site a snapshot is kept under. A run's is the site box's text, trimmed and in lower case.
QString runSite(const QString& siteBox);
// An import's is the site box's text when it holds one; else `targetDomain`, the registrable
// domain most addresses of the exports' target column are on, when they have such a column;
// else the first file's name without its folder and extension.
QString importSite(const QString& siteBox, const QString& targetDomain, const QString& firstFile);
