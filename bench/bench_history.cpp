// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The history as a user meets it: what keeping a run costs the window, how long a million-link
// import takes to keep on its thread and how long the window then waits at worst, the size of
// a first and of a further snapshot, the history window of a site with 100 snapshots, and the
// comparison of two snapshots.
// Usage: bench_history [links of the large import, default 1000000]

#include "BenchStats.h"
#include "StallMeter.h"
#include "analysis/SnapshotComparison.h"
#include "history/HistoryKeeper.h"
#include "history/HistoryStore.h"
#include "ui/history/HistoryWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// `links` links over a host for every five, each link about 60 bytes as exports hold them;
// `round` changes a tenth of the links.
HostTally tally(int links, int round, qint64* utf8Bytes = nullptr)
{
    HostTally made;
    qint64 bytes = 0;
    for (int i = 0; i < links; ++i) {
        const QString host = QStringLiteral("www.host%1.example").arg(i / 5);
        const QString link = QStringLiteral("https://www.host%1.example/articles/2026/page-%2.html")
                                 .arg(i / 5)
                                 .arg(i % 10 == 0 ? i + round * 7919 : i);
        bytes += link.toUtf8().size();
        made.add(host, link);
    }
    if (utf8Bytes)
        *utf8Bytes = bytes;
    return made;
}

qint64 fileBytes(const QString& path)
{
    // Folded back into the file, as when the program ends.
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("size"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("size"));
    return QFileInfo(path).size();
}

Snapshot snapshot(const QString& site, HostTally made)
{
    return {site, QDateTime::currentDateTimeUtc(), {}, std::move(made)};
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int large = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir dir;

    // Keeping a 1000-link run: what the window's thread spends handing it over.
    {
        HistoryKeeper keeper(dir.filePath(QStringLiteral("run.sqlite")));
        QEventLoop loop;
        QObject::connect(&keeper, &HistoryKeeper::opened, &loop, &QEventLoop::quit);
        keeper.open();
        loop.exec();
        QObject::connect(&keeper, &HistoryKeeper::kept, &loop, &QEventLoop::quit);
        const HostTally run = tally(1000, 0);
        std::vector<double> handMs;
        for (int i = 0; i < 50; ++i) {
            QElapsedTimer clock;
            clock.start();
            keeper.keep(snapshot(QStringLiteral("run.example"), run), true);
            handMs.push_back(clock.nsecsElapsed() / 1e6);
            loop.exec(); // the answer: the grid's marks are set from it
        }
        std::printf("RESULT keep_run_window_ms %.3f\n", median(handMs));
    }

    // Keeping the large import on its thread, with a 1 ms timer on the window's meanwhile.
    qint64 utf8 = 0;
    const HostTally first = tally(large, 0, &utf8);
    const QString sizePath = dir.filePath(QStringLiteral("size.sqlite"));
    {
        HistoryStore store(sizePath);
        store.open();
    }
    const qint64 empty = fileBytes(sizePath);
    {
        HistoryKeeper keeper(sizePath);
        QEventLoop loop;
        QObject::connect(&keeper, &HistoryKeeper::opened, &loop, &QEventLoop::quit);
        keeper.open();
        loop.exec();
        QObject::connect(&keeper, &HistoryKeeper::kept, &loop, &QEventLoop::quit);
        StallMeter stall;
        QElapsedTimer clock;
        stall.start();
        clock.start();
        keeper.keep(snapshot(QStringLiteral("big.example"), first), true);
        loop.exec();
        stall.stop();
        std::printf("RESULT keep_import_ms %.0f\nRESULT keep_import_stall_ms %.1f\n",
                    clock.nsecsElapsed() / 1e6, stall.worstMs());
    }
    const qint64 afterFirst = fileBytes(sizePath);
    {
        HistoryStore store(sizePath);
        store.open();
        store.save(snapshot(QStringLiteral("big.example"), first));
    }
    const qint64 afterSecond = fileBytes(sizePath);
    std::printf("RESULT first_snapshot_ratio %.2f\nRESULT further_snapshot_bytes_per_link %.2f\n",
                double(afterFirst - empty) / double(utf8),
                double(afterSecond - afterFirst) / double(large));

    // Comparing: two snapshots of the large import, and two runs.
    {
        HistoryStore store(sizePath);
        store.open();
        store.save(snapshot(QStringLiteral("big.example"), tally(large, 1)));
        const QList<SnapshotInfo> all = store.snapshots(QStringLiteral("big.example"));
        QElapsedTimer clock;
        clock.start();
        const auto older = store.hostCounts(all[0].id);
        const auto newer = store.hostCounts(all.back().id);
        const double loadMs = clock.nsecsElapsed() / 1e6;
        std::vector<double> compareMs;
        for (int i = 0; i < 5; ++i) {
            clock.restart();
            const SnapshotComparison result = compareSnapshots(older, newer);
            compareMs.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::printf("RESULT compare_large_load_ms %.0f\nRESULT compare_large_ms %.0f\n", loadMs,
                    median(compareMs));
    }

    // The history window of a site with 100 snapshots of 1000-link runs, and their comparison.
    const QString windowPath = dir.filePath(QStringLiteral("window.sqlite"));
    HistoryStore store(windowPath);
    store.open();
    for (int i = 0; i < 100; ++i)
        store.save(snapshot(QStringLiteral("site.example"), tally(1000, i)));
    {
        const QList<SnapshotInfo> all = store.snapshots(QStringLiteral("site.example"));
        std::vector<double> compareMs;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer clock;
            clock.start();
            compareSnapshots(store.hostCounts(all[98].id), store.hostCounts(all[99].id));
            compareMs.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::printf("RESULT compare_run_ms %.2f\n", median(compareMs));
    }
    std::vector<double> openMs;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer clock;
        clock.start();
        HistoryWindow window(store, [](const QString& host) { return host; });
        window.showSite(QStringLiteral("site.example"));
        window.show();
        QCoreApplication::processEvents(); // laid out and painted once
        window.repaint();
        openMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("RESULT history_window_ms %.0f\n", median(openMs));
    return 0;
}
