// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HistoryKeeper.h"

#include "analysis/RegistrableDomain.h"

HistoryKeeper::HistoryKeeper(QString path, QObject* parent)
    : QObject(parent), path_(std::move(path)), worker_(new QObject)
{
    thread_.setObjectName(QStringLiteral("history"));
    worker_->moveToThread(&thread_);
    thread_.start();
}

HistoryKeeper::~HistoryKeeper()
{
    // The connection ends on the thread that opened it, after every snapshot asked for.
    QMetaObject::invokeMethod(
        worker_, [this] { store_.reset(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete worker_;
}

void HistoryKeeper::open()
{
    QMetaObject::invokeMethod(worker_, [this] {
        store_ = std::make_unique<HistoryStore>(path_);
        const StoreOpening opening = store_->open();
        QMetaObject::invokeMethod(this, [this, opening] { Q_EMIT opened(opening); });
    });
}

void HistoryKeeper::keep(Snapshot snapshot, bool write)
{
    QMetaObject::invokeMethod(worker_, [this, snapshot = std::move(snapshot), write] {
        if (!store_ || !store_->isOpen()) {
            // Opening failed after this was asked: answer all the same, so no one waits on it.
            QMetaObject::invokeMethod(this, [this, site = snapshot.site] {
                Q_EMIT kept(site, false, {}, {}, QString());
            });
            return;
        }
        QSet<QString> previous, domains;
        const std::optional<SnapshotInfo> latest = store_->latest(snapshot.site);
        if (latest) {
            const std::vector<HostLinkCount> hosts = store_->hostCounts(latest->id);
            previous.reserve(qsizetype(hosts.size()));
            for (const HostLinkCount& host : hosts) {
                previous.insert(host.host);
                domains.insert(registrableDomain(host.host));
            }
        }
        QString error;
        if (write && !store_->save(snapshot))
            error = store_->lastError();
        QMetaObject::invokeMethod(
            this, [this, site = snapshot.site, had = latest.has_value(), previous, domains, error] {
                Q_EMIT kept(site, had, previous, domains, error);
            });
    });
}
