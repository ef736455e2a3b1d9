// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// How an export of the host list went.
struct HostListExport {
    bool ok = false;
    QString path;   // the file written, or the one that could not be
    QString reason; // why not, when !ok
};

// The file a site's host list is saved as: the site text, then "外链域名.txt".
QString hostListFileName(const QString& site);

// The folder to export into: `programFolder` while the user may write there, otherwise the
// user's documents folder, made when missing.
QString hostListFolder(const QString& programFolder);

// Saves `domainStr` and one more CR LF in GB18030, no byte-order mark, as the host list
// of `site` in `folder`. An earlier file of that name is replaced only by a complete new one. A
// site text that would leave `folder` (it holds "/" or a NUL) is refused and nothing is written;
// so is a symbolic link at the file's name (see saveFile).
HostListExport exportHostList(const QString& folder, const QString& site, const QString& domainStr);
