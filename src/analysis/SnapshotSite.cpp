// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SnapshotSite.h"

#include <QFileInfo>

QString runSite(const QString& siteBox)
{
    return siteBox.trimmed().toLower();
}

QString importSite(const QString& siteBox, const QString& targetDomain, const QString& firstFile)
{
    if (const QString site = runSite(siteBox); !site.isEmpty())
        return site;
    if (!targetDomain.isEmpty())
        return targetDomain;
    return QFileInfo(firstFile).completeBaseName();
}
