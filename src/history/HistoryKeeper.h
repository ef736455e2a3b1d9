// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "HistoryStore.h"

#include <QObject>
#include <QSet>
#include <QThread>

#include <memory>

// Keeps snapshots on a thread of its own, with its own connection to the history file, so that
// writing a large one never holds up the window. Calls return at once; the signals come back on
// the thread that made the keeper, in the order of the calls.
class HistoryKeeper : public QObject {
    Q_OBJECT
public:
    explicit HistoryKeeper(QString path, QObject* parent = nullptr);
    // Waits for the snapshots still being written.
    ~HistoryKeeper() override;

    const QString& path() const { return path_; }

    // Opens the file (see HistoryStore::open); opened() says how it went.
    void open();
    // Reads the hosts of the site's latest snapshot, then keeps `snapshot` when `write` is set;
    // kept() gives both.
    void keep(Snapshot snapshot, bool write);

Q_SIGNALS:
    void opened(const StoreOpening& opening);
    // `previousHosts` are the hosts of the site's snapshot before this one, `hadPrevious` tells
    // whether there was one. `error` is why the snapshot could not be written, if it was meant to.
    // `previousDomains` are their registrable domains.
    void kept(const QString& site, bool hadPrevious, const QSet<QString>& previousHosts,
              const QSet<QString>& previousDomains, const QString& error);

private:
    QString path_;
    QThread thread_;
    QObject* worker_; // lives on thread_; the store is made and ended there
    std::unique_ptr<HistoryStore> store_;
};
