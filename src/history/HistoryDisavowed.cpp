// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The entries of a site's disavow file the user marked, kept beside its snapshots.
#include "HistoryStore.h"
#include "StoreQuery.h"

QStringList HistoryStore::disavowed(const QString& site) const
{
    QStringList entries;
    if (!open_)
        return entries;
    Query query(connection_, "SELECT entry FROM disavowed JOIN site ON site.id = site_id"
                             " WHERE site.name = ? ORDER BY disavowed.id");
    if (query.bind(site).exec())
        while (query.next())
            entries.append(query.value(0).toString());
    return entries;
}

bool HistoryStore::addDisavowed(const QString& site, const QStringList& entries)
{
    if (!open_)
        return fail(QStringLiteral("历史文件未打开"));
    Query begin(connection_, "BEGIN IMMEDIATE");
    if (!begin.exec())
        return fail(begin.error());
    Query addSite(connection_, "INSERT INTO site (name) VALUES (?) ON CONFLICT (name) DO NOTHING");
    bool ok = addSite.bind(site).exec() || fail(addSite.error());
    for (const QString& entry : entries) {
        if (!ok)
            break;
        Query add(connection_, "INSERT INTO disavowed (site_id, entry)"
                               " SELECT id, ? FROM site WHERE name = ? ON CONFLICT DO NOTHING");
        ok = add.bind(entry).bind(site).exec() || fail(add.error());
    }
    Query end(connection_, ok ? "COMMIT" : "ROLLBACK");
    return (end.exec() || fail(end.error())) && ok;
}

bool HistoryStore::removeDisavowed(const QString& site, const QStringList& entries)
{
    if (!open_)
        return fail(QStringLiteral("历史文件未打开"));
    Query begin(connection_, "BEGIN IMMEDIATE");
    if (!begin.exec())
        return fail(begin.error());
    bool ok = true;
    for (const QString& entry : entries) {
        Query drop(connection_, "DELETE FROM disavowed WHERE entry = ? AND site_id ="
                                " (SELECT id FROM site WHERE name = ?)");
        ok = drop.bind(entry).bind(site).exec() || fail(drop.error());
        if (!ok)
            break;
    }
    Query end(connection_, ok ? "COMMIT" : "ROLLBACK");
    return (end.exec() || fail(end.error())) && ok;
}
