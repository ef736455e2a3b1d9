// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "HostTally.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Reading the link exports of other tools (CSV, TSV, plain lists of addresses) into a tally of
// linking pages by host, as one import.

// A file of an import that gave nothing, and why, for a "Warning" box.
struct ImportProblem {
    QString file;   // the path as given
    QString reason; // the system's reason where there is one
};

struct ImportResult {
    HostTally tally; // hosts in the order first met, links in the order found, each address once
    QList<ImportProblem> problems; // in the order of the files
    // Which of what an export may say of a link beside its address some file of the import had
    // a column for.
    bool anchors = false;
    bool targets = false;
    bool rels = false;
};

// Called now and then while an import reads: bytes read so far of all the files, and in all.
using ImportProgress = std::function<void(qint64 done, qint64 total)>;

// Asked now and then while an import reads: true ends it at once, with nothing.
using ImportCancelled = std::function<bool()>;

// Reads `paths` in order as one import: files in the order given, rows in file order. The
// files are only read, and only regular files, each as far as its size when it was opened.
// Needs no event loop, so it may run on another thread.
ImportResult importLinkExports(const QStringList& paths, const ImportProgress& progress = {},
                               const ImportCancelled& cancelled = {});

// The host a link is counted under: the address's own host, as a browser reads it, letters
// folded to lower case, without user, password or port. Empty when `address` (already trimmed)
// is not an absolute address with a host.
QString importedLinkHost(QStringView address);
