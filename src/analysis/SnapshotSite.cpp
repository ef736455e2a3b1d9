// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SnapshotSite.h"

#include "HostTally.h"
#include "RegistrableDomain.h"

#include <QFileInfo>
#include <QHash>
#include <QUrl>

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

QString targetDomain(const HostTally& tally)
{
    if (!tally.hasFields())
        return {};
    const qsizetype links = tally.linkCount();
    const qsizetype step = std::max<qsizetype>(1, links / 2000);
    QHash<QString, qsizetype> votes;
    QString best;
    qsizetype most = 0;
    for (qsizetype n = 0; n < links; n += step) {
        const QByteArrayView target = tally.fieldUtf8At(n, HostTally::Field::Target);
        if (target.isEmpty())
            continue;
        const QString host = QUrl(QString::fromUtf8(target)).host();
        if (host.isEmpty())
            continue;
        const QString domain = registrableDomain(host);
        // The first domain to reach a count keeps it: a tie goes to the one met first.
        if (const qsizetype count = ++votes[domain]; count > most) {
            most = count;
            best = domain;
        }
    }
    return best;
}
