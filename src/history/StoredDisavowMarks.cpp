// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StoredDisavowMarks.h"

#include "HistoryStore.h"

StoredDisavowMarks::StoredDisavowMarks(std::function<HistoryStore*()> store)
    : store_(std::move(store))
{
}

QStringList StoredDisavowMarks::list(const QString& site)
{
    HistoryStore* store = store_();
    return store ? store->disavowed(site) : memory_.list(site);
}

bool StoredDisavowMarks::add(const QString& site, const QStringList& entries, QString* reason)
{
    HistoryStore* store = store_();
    if (!store)
        return memory_.add(site, entries, reason);
    if (store->addDisavowed(site, entries))
        return true;
    *reason = store->lastError();
    return false;
}

bool StoredDisavowMarks::remove(const QString& site, const QStringList& entries, QString* reason)
{
    HistoryStore* store = store_();
    if (!store)
        return memory_.remove(site, entries, reason);
    if (store->removeDisavowed(site, entries))
        return true;
    *reason = store->lastError();
    return false;
}
