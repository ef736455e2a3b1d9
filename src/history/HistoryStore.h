// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "analysis/HostTally.h"
#include "analysis/SnapshotComparison.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// What a finished run or import leaves to keep.
struct Snapshot {
    QString site;
    QDateTime taken;
    QStringList files; // the import's file names; empty for a run
    // Every host in the order met, each with its links in the order found. A copy shares the
    // text of the tally it was made from, so handing it to another thread costs nothing.
    HostTally tally;
};

// history.sqlite in the user's data folder (~/.local/share/Ostrel/Ostrel).
QString defaultHistoryPath();

// A kept snapshot as the history lists it.
struct SnapshotInfo {
    qint64 id = 0;
    QString site;
    QDateTime taken;
    QStringList files; // empty for a run
    qint64 hostCount = 0;
    qint64 linkCount = 0;
};

// How opening the history file went.
struct StoreOpening {
    enum class State {
        Ready,       // open, at the current version
        Newer,       // written by a newer Ostrel: left untouched, and nothing is kept
        Unavailable, // cannot be opened or created: `reason` says why
    };
    State state = State::Unavailable;
    QString reason;
    // Where a damaged file was moved before a new one was started, else empty.
    QString movedAside;
};

// The history file: SQLite through Qt SQL. Every snapshot of a site is kept with its hosts and
// links; each text of a site is stored once (a link met under two hosts of one snapshot, once
// for each), so a further snapshot of the same links costs a few bytes a link. An object and its
// connection belong to the thread that opened it, and any number of them, in this process or
// others, may use one file at once.
class HistoryStore {
public:
    static constexpr int schemaVersion = 1;

    explicit HistoryStore(QString path);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the file, creating it and its folder when missing and bringing an older file up to
    // date. A file that is not a sound database is moved aside, never deleted, and a new one
    // started. The other calls do nothing while the store is not open.
    StoreOpening open();
    // Opens a further connection to a file another store of this process has opened: no check,
    // no migration, so it costs next to nothing on the window's thread.
    StoreOpening attach();
    bool isOpen() const { return open_; }
    const QString& path() const { return path_; }
    // Why the last call that changed the file failed.
    const QString& lastError() const { return error_; }

    // Keeps `snapshot` in one transaction: whole, or not at all. Its id, or none on failure.
    std::optional<qint64> save(const Snapshot& snapshot);
    bool remove(qint64 snapshot);

    QStringList sites() const;                                // by name
    QList<SnapshotInfo> snapshots(const QString& site) const; // oldest first
    std::optional<SnapshotInfo> latest(const QString& site) const;
    // Each host of a snapshot with its number of links, in the order met.
    std::vector<HostLinkCount> hostCounts(qint64 snapshot) const;
    // The links of the hosts that `matches`, in the order kept.
    QStringList links(qint64 snapshot, const std::function<bool(const QString&)>& matches) const;

    // The entries a site disavows, exactly as written in a disavow file ("domain:example.com", a
    // URL), in the order added. Adding one already there, or removing one that is not, does
    // nothing.
    QStringList disavowed(const QString& site) const;
    bool addDisavowed(const QString& site, const QStringList& entries);
    bool removeDisavowed(const QString& site, const QStringList& entries);

private:
    bool openConnection();
    void closeConnection();
    bool migrate(int from);
    bool fail(const QString& reason);

    QString path_;
    QString connection_;
    bool open_ = false;
    QString error_;
};
