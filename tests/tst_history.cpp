// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "history/HistoryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <latch>
#include <sys/resource.h>
#include <thread>

namespace {

const QDateTime noon = QDateTime(QDate(2026, 5, 1), QTime(12, 0), Qt::UTC);

// "a.test: l1 l2; b.test: l3"
Snapshot snapshot(const QString& site, const QString& hosts, const QStringList& files = {})
{
    Snapshot made{site, noon, files, {}};
    for (const QString& host : hosts.split(u"; "_qs, Qt::SkipEmptyParts)) {
        const qsizetype number = made.tally.addHost(host.section(u':', 0, 0).toUtf8());
        for (const QString& link : host.section(u": "_qs, 1).split(u' ', Qt::SkipEmptyParts))
            made.tally.addLink(number, link.toUtf8());
    }
    return made;
}

// n hosts of ten links each, the links differing by `round`.
Snapshot large(int hosts, int round)
{
    Snapshot made{u"big.test"_qs, noon, {}, {}};
    for (int h = 0; h < hosts; ++h)
        for (int l = 0; l < 10; ++l)
            made.tally.add(QStringLiteral("h%1.test").arg(h),
                           QStringLiteral("http://h%1.test/page/%2?r=%3").arg(h).arg(l).arg(round));
    return made;
}

// Every snapshot of `site` as "files|host:links host:links|links of the first host".
QString contents(const HistoryStore& store, const QString& site)
{
    QStringList all;
    for (const SnapshotInfo& info : store.snapshots(site)) {
        QStringList hosts;
        for (const HostLinkCount& host : store.hostCounts(info.id))
            hosts.append(host.host + u':' + QString::number(host.links));
        const QString first = hosts.value(0).section(u':', 0, 0);
        all.append(info.files.join(u',') + u'|' + hosts.join(u' ') + u'|' +
                   store.links(info.id, [&](const QString& h) { return h == first; }).join(u' '));
    }
    return all.join(u"\n"_qs);
}

bool runSql(const QString& path, const QStringList& statements)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"raw"_qs);
        db.setDatabaseName(path);
        ok = db.open();
        for (const QString& sql : statements)
            ok = ok && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase(u"raw"_qs);
    return ok;
}

// A file as the first version of the schema wrote it: one run of a.test.
const QStringList versionOne = {
    u"CREATE TABLE site (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, host_texts INTEGER "
    "NOT NULL DEFAULT 0, link_texts INTEGER NOT NULL DEFAULT 0)"_qs,
    u"CREATE TABLE text_block (site_id INTEGER NOT NULL REFERENCES site(id) ON DELETE CASCADE, "
    "kind INTEGER NOT NULL, first INTEGER NOT NULL, count INTEGER NOT NULL, texts BLOB NOT NULL, "
    "UNIQUE (site_id, kind, first))"_qs,
    u"CREATE TABLE snapshot (id INTEGER PRIMARY KEY, site_id INTEGER NOT NULL REFERENCES site(id) "
    "ON DELETE CASCADE, taken INTEGER NOT NULL, files TEXT, host_count INTEGER NOT NULL, "
    "link_count INTEGER NOT NULL, hosts BLOB NOT NULL, links BLOB NOT NULL)"_qs,
    u"CREATE INDEX snapshot_by_site ON snapshot (site_id, taken)"_qs,
    u"CREATE TABLE disavowed (id INTEGER PRIMARY KEY, site_id INTEGER NOT NULL REFERENCES "
    "site(id) ON DELETE CASCADE, entry TEXT NOT NULL, UNIQUE (site_id, entry))"_qs,
    u"INSERT INTO site VALUES (1, 'a.test', 1, 2)"_qs,
    u"INSERT INTO text_block VALUES (1, 0, 0, 1, X'06612e74657374')"_qs,
    u"INSERT INTO text_block VALUES (1, 1, 0, 2, X'0f687474703a2f2f612e746573742f31"
    "0f687474703a2f2f612e746573742f32')"_qs,
    u"INSERT INTO snapshot VALUES (1, 1, 1777636800000, NULL, 1, 3, X'000300', X'000201')"_qs,
    u"INSERT INTO disavowed VALUES (1, 1, 'domain:spam.test')"_qs,
    u"PRAGMA user_version = 1"_qs,
};

// Keeps snapshots in a loop, naming each on standard output once it is kept; the test kills it.
int saveForever(const QString& path)
{
    HistoryStore store(path);
    if (store.open().state != StoreOpening::State::Ready)
        return 1;
    for (int round = 0;; ++round) {
        if (!store.save(large(2000, round)))
            return 2;
        std::printf("%d\n", round);
        std::fflush(stdout);
    }
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keeps();
    void opens_data();
    void opens();
    void killedMidSave();
    void twoWritersAtOnce();
    void fullDisk();
    void disavowed();

private:
    QTemporaryDir dir_;
};

void TestHistory::keeps()
{
    const QString path = dir_.filePath(u"keeps.sqlite"_qs);
    {
        HistoryStore store(path);
        QCOMPARE(store.open().state, StoreOpening::State::Ready);
        QVERIFY(store.save(snapshot(u"a.test"_qs, u"x.test: 1 2 1; y.test: 3"_qs)));
        QVERIFY(store.save(snapshot(u"b.test"_qs, u"x.test: 9"_qs, {u"b.csv"_qs})));
        QVERIFY(store.save(snapshot(u"a.test"_qs, u"z.test: 4; x.test: 2 5"_qs, {u"e,1.csv"_qs})));
        QVERIFY(store.save(snapshot(u"a.test"_qs, u"中文.test: 链接 1"_qs)));
        QVERIFY2(store.remove(store.snapshots(u"a.test"_qs).back().id),
                 qPrintable(store.lastError()));
    }
    HistoryStore store(path);
    QCOMPARE(store.open().state, StoreOpening::State::Ready);
    QCOMPARE(store.sites(), QStringList({u"a.test"_qs, u"b.test"_qs}));
    QCOMPARE(contents(store, u"a.test"_qs), u"|x.test:3 y.test:1|1 2 1\n"
                                            "e,1.csv|z.test:1 x.test:2|4"_qs);
    QCOMPARE(contents(store, u"b.test"_qs), u"b.csv|x.test:1|9"_qs);
    const SnapshotInfo latest = *store.latest(u"a.test"_qs);
    QCOMPARE(latest.hostCount, 2);
    QCOMPARE(latest.linkCount, 3);
    QCOMPARE(latest.taken, noon);
    for (const SnapshotInfo& info : store.snapshots(u"b.test"_qs))
        QVERIFY(store.remove(info.id));
    QCOMPARE(store.sites(), QStringList{u"a.test"_qs});
    QVERIFY(store.save(snapshot(u"b.test"_qs, u"w.test: 7"_qs)));
    QCOMPARE(contents(store, u"b.test"_qs), u"|w.test:1|7"_qs);
    // A file of referring domains gives a count of its own for a host.
    Snapshot counted = snapshot(u"c.test"_qs, u"x.test: 9"_qs);
    counted.tally.setCount(0, 40);
    QVERIFY(store.save(counted));
    QCOMPARE(contents(store, u"c.test"_qs), u"|x.test:40|9"_qs);
}

void TestHistory::opens_data()
{
    QTest::addColumn<QByteArray>("file"); // its bytes, or "<v1>", "<newer>", "<folder is a file>"
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("movedAside");
    QTest::addColumn<QString>("kept"); // what is then kept for a.test
    QTest::newRow("none yet") << QByteArray() << 0 << false << QString();
    QTest::newRow("version 1") << QByteArray("<v1>") << 0 << false
                               << u"|a.test:3|http://a.test/1 http://a.test/2 http://a.test/1"_qs;
    QTest::newRow("newer") << QByteArray("<newer>") << 1 << false << QString();
    QTest::newRow("garbage") << QByteArray(5000, 'x') << 0 << true << QString();
    QTest::newRow("truncated") << QByteArray("<v1 truncated>") << 0 << true << QString();
    QTest::newRow("header only") << QByteArray("SQLite format 3\0garbage", 23) << 0 << true
                                 << QString();
    QTest::newRow("folder is a file")
        << QByteArray("<folder is a file>") << 2 << false << QString();
}

void TestHistory::opens()
{
    QFETCH(QByteArray, file);
    QFETCH(int, state);
    QFETCH(bool, movedAside);
    QTemporaryDir dir;
    QString path = dir.filePath(u"history.sqlite"_qs);
    if (file.startsWith("<v1")) {
        QVERIFY(runSql(path, versionOne));
        if (file.contains("truncated")) {
            // Rows enough to span many pages, then the file cut in half.
            QStringList more{u"BEGIN"_qs};
            for (int i = 2; i < 400; ++i)
                more.append(u"INSERT INTO disavowed VALUES (%1, 1, '%1%2')"_qs.arg(i).arg(
                    QString(300, u'a')));
            QVERIFY(runSql(path, more << u"COMMIT"_qs));
            QFile cut(path);
            QVERIFY(cut.resize(cut.size() / 2));
        }
    } else if (file == "<newer>") {
        QVERIFY(runSql(path, {u"CREATE TABLE future (x)"_qs, u"PRAGMA user_version = 2"_qs}));
    } else if (file == "<folder is a file>") {
        QFile blocker(dir.filePath(u"folder"_qs));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        path = blocker.fileName() + u"/history.sqlite"_qs;
    } else if (!file.isEmpty()) {
        QFile garbage(path);
        QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(file) == file.size());
    }
    QFile before(path);
    const QByteArray bytes = before.open(QIODevice::ReadOnly) ? before.readAll() : QByteArray();
    before.close();

    HistoryStore store(path);
    const StoreOpening opening = store.open();
    QVERIFY2(int(opening.state) == state, qPrintable(opening.reason));
    QCOMPARE(opening.movedAside.isEmpty(), !movedAside);
    if (state != 0) {
        QVERIFY(!opening.reason.isEmpty());
        QVERIFY(!store.save(snapshot(u"a.test"_qs, u"x.test: 1"_qs)));
    }
    if (movedAside) {
        QVERIFY(opening.movedAside.startsWith(path + u".damaged-"_qs));
        QFile aside(opening.movedAside);
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), bytes);
    }
    if (file == "<newer>") {
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"history.sqlite"_qs});
        QVERIFY(before.open(QIODevice::ReadOnly));
        QCOMPARE(before.readAll(), bytes);
    }
    QTEST(contents(store, u"a.test"_qs), "kept");
    if (state == 0)
        QVERIFY(store.save(snapshot(u"a.test"_qs, u"x.test: 1"_qs)));
}

void TestHistory::killedMidSave()
{
    const QString path = dir_.filePath(u"killed.sqlite"_qs);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"OSTREL_TEST_SAVE_FOREVER"_qs, path);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QByteArray saved;
    while (saved.count('\n') < 3 && child.waitForReadyRead(60000))
        saved += child.readAllStandardOutput();
    child.kill(); // SIGKILL, at once: most likely in the middle of the next snapshot
    QVERIFY(child.waitForFinished(10000));
    const int kept = int(saved.count('\n'));
    QVERIFY(kept >= 3);

    HistoryStore store(path);
    const StoreOpening opening = store.open();
    QCOMPARE(opening.state, StoreOpening::State::Ready);
    QVERIFY(opening.movedAside.isEmpty());
    const QList<SnapshotInfo> all = store.snapshots(u"big.test"_qs);
    QVERIFY(all.size() == kept || all.size() == kept + 1);
    for (qsizetype round = 0; round < all.size(); ++round) {
        QCOMPARE(store.hostCounts(all[round].id).size(), 2000u);
        const QStringList links =
            store.links(all[round].id, [](const QString& h) { return h == u"h1999.test"; });
        QCOMPARE(links.size(), 10);
        QCOMPARE(links.back(), u"http://h1999.test/page/9?r=%1"_qs.arg(round));
    }
}

void TestHistory::twoWritersAtOnce()
{
    const QString path = dir_.filePath(u"two.sqlite"_qs);
    std::latch start(2);
    std::atomic<int> saved{0};
    auto window = [&](int round) {
        HistoryStore store(path);
        store.open();
        start.arrive_and_wait();
        if (store.save(large(3000, round)))
            ++saved;
    };
    std::thread one(window, 1), two(window, 2);
    one.join();
    two.join();
    QCOMPARE(saved.load(), 2);
    HistoryStore store(path);
    store.open();
    QCOMPARE(store.snapshots(u"big.test"_qs).size(), 2);
}

void TestHistory::fullDisk()
{
    const QString path = dir_.filePath(u"full.sqlite"_qs);
    HistoryStore store(path);
    QCOMPARE(store.open().state, StoreOpening::State::Ready);
    QVERIFY(store.save(snapshot(u"a.test"_qs, u"x.test: 1 2"_qs)));

    // No file of this process may grow past what it holds now: the disk is full for it.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit full{rlim_t(QFileInfo(path + u"-wal"_qs).size() + 4096), limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &full);
    const bool savedWhenFull = store.save(large(3000, 0)).has_value();
    setrlimit(RLIMIT_FSIZE, &limit);
    QVERIFY(!savedWhenFull);
    QVERIFY(!store.lastError().isEmpty());

    QVERIFY(store.save(snapshot(u"a.test"_qs, u"y.test: 3"_qs)));
    QCOMPARE(contents(store, u"a.test"_qs), u"|x.test:2|1 2\n|y.test:1|3"_qs);
    QVERIFY(store.snapshots(u"big.test"_qs).isEmpty());
}

void TestHistory::disavowed()
{
    HistoryStore store(dir_.filePath(u"disavow.sqlite"_qs));
    store.open();
    QVERIFY(store.addDisavowed(u"a.test"_qs, {u"domain:x.test"_qs, u"http://y.test/'p"_qs}));
    QVERIFY(store.addDisavowed(u"a.test"_qs, {u"domain:x.test"_qs, u"domain:z.test"_qs}));
    QVERIFY(store.addDisavowed(u"b.test"_qs, {u"domain:x.test"_qs}));
    QVERIFY(store.removeDisavowed(u"a.test"_qs, {u"domain:x.test"_qs, u"domain:none.test"_qs}));
    QCOMPARE(store.disavowed(u"a.test"_qs),
             QStringList({u"http://y.test/'p"_qs, u"domain:z.test"_qs}));
    QCOMPARE(store.disavowed(u"b.test"_qs), QStringList{u"domain:x.test"_qs});
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (const QString path = qEnvironmentVariable("OSTREL_TEST_SAVE_FOREVER"); !path.isEmpty())
        return saveForever(path);
    TestHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_history.moc"
