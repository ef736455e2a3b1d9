// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LinkImport.h"

ImportResult importLinkExports(const QStringList& paths, const ImportProgress& progress)
{
    // Placeholder until the reader lands: every file is a problem.
    ImportResult result;
    for (const QString& path : paths)
        result.problems.append({path, QStringLiteral("not read yet")});
    if (progress)
        progress(0, 0);
    return result;
}
