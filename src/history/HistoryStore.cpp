// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HistoryStore.h"

#include "CompactNumbers.h"
#include "StoreQuery.h"
#include "platform/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <atomic>
#include <boost/unordered/unordered_flat_map.hpp>
#include <string_view>

namespace {

// Each step takes a file from the version of its place in the list to the next; it runs in one
// transaction that ends by setting the version, so a file is never left between two versions.
// QSqlQuery runs one statement at a time, hence one string each.
const std::vector<std::vector<const char*>> migrations = {
    // The first schema. Texts (host names and links) are kept once per site in blocks of many,
    // numbered from 0 per site and kind in the order first kept; a snapshot names its hosts and
    // links by those numbers, written as variable-length integers.
    {
        "CREATE TABLE site (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE,"
        " host_texts INTEGER NOT NULL DEFAULT 0, link_texts INTEGER NOT NULL DEFAULT 0)",
        // kind 0: host names, 1: links. `texts` holds `count` texts, each its UTF-8 length as a
        // variable-length integer and then its bytes.
        "CREATE TABLE text_block (site_id INTEGER NOT NULL REFERENCES site(id) ON DELETE CASCADE,"
        " kind INTEGER NOT NULL, first INTEGER NOT NULL, count INTEGER NOT NULL,"
        " texts BLOB NOT NULL, UNIQUE (site_id, kind, first))",
        // `hosts`: for each host in the order met, its text number, its number of links, and
        // what its row counts less that number, zigzag-coded (0 but where an export of
        // referring domains gave a count of its own).
        // `links`: the text number of every link, host after host, each as the difference to the
        // one before, zigzag-coded.
        "CREATE TABLE snapshot (id INTEGER PRIMARY KEY,"
        " site_id INTEGER NOT NULL REFERENCES site(id) ON DELETE CASCADE,"
        " taken INTEGER NOT NULL, files TEXT, host_count INTEGER NOT NULL,"
        " link_count INTEGER NOT NULL, hosts BLOB NOT NULL, links BLOB NOT NULL)",
        "CREATE INDEX snapshot_by_site ON snapshot (site_id, taken)",
        "CREATE TABLE disavowed (id INTEGER PRIMARY KEY,"
        " site_id INTEGER NOT NULL REFERENCES site(id) ON DELETE CASCADE,"
        " entry TEXT NOT NULL, UNIQUE (site_id, entry))",
    },
};
static_assert(HistoryStore::schemaVersion == 1, "one migration a version");

enum TextKind { HostText = 0, LinkText = 1 };

// Blocks of texts are written at about this size, so reading a site's texts back never needs
// one huge value.
constexpr qsizetype blockBytes = 1 << 20;

// A site's texts of one kind, by number.
struct Texts {
    std::vector<QByteArray> blocks; // what the views point into
    std::vector<std::string_view> byNumber;

    QString text(quint64 number) const
    {
        if (number >= byNumber.size())
            return {};
        return QString::fromUtf8(byNumber[number].data(), qsizetype(byNumber[number].size()));
    }
};

QString jsonFiles(const QStringList& files)
{
    if (files.isEmpty())
        return {};
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(files)).toJson(QJsonDocument::Compact));
}

QStringList filesOf(const QVariant& json)
{
    QStringList files;
    if (json.isNull())
        return files;
    for (const QJsonValue& file : QJsonDocument::fromJson(json.toString().toUtf8()).array())
        files.append(file.toString());
    return files;
}

// SQLite's result codes for a file that is no database or a damaged one.
bool isDamage(const QSqlError& error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 11 /* SQLITE_CORRUPT */ || code == 26 /* SQLITE_NOTADB */;
}

// Every database file starts so; SQLite itself would only find out at the first statement.
bool startsLikeDatabase(const QString& path)
{
    QFile file(path);
    if (!file.exists() || file.size() == 0)
        return true; // a new file
    if (!file.open(QIODevice::ReadOnly))
        return true; // opening will say why
    return file.read(16) == QByteArray("SQLite format 3", 16);
}

std::atomic<int> connections{0};

} // namespace

QString defaultHistoryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/history.sqlite");
}

namespace {

Texts loadTexts(const QString& connection, qint64 site, TextKind kind)
{
    Texts texts;
    Query blocks(
        connection,
        "SELECT count, texts FROM text_block WHERE site_id = ? AND kind = ? ORDER BY first");
    blocks.bind(site).bind(int(kind));
    if (!blocks.exec())
        return texts;
    while (blocks.next()) {
        texts.blocks.push_back(blocks.value(1).toByteArray());
        const QByteArray& block = texts.blocks.back();
        const char* at = block.constData();
        const char* end = at + block.size();
        quint64 size = 0;
        for (qint64 n = blocks.value(0).toLongLong(); n > 0 && takeNumber(at, end, size); --n) {
            if (size > quint64(end - at))
                break; // a damaged block: what it holds after this point is lost, not invented
            texts.byNumber.emplace_back(at, std::size_t(size));
            at += size;
        }
    }
    return texts;
}

// The numbers of a site's texts of one kind while a snapshot is written: those kept already,
// and the ones this snapshot adds. A text new to the site is looked for among the new texts of
// its group only: a link belongs to its host, so a host's links are a group and a new link is
// still stored once, while the table searched stays small enough to sit in the cache. Hosts
// are all one group.
class Numbering {
public:
    Numbering(Texts kept, quint64 next) : kept_(std::move(kept)), next_(next)
    {
        numbers_.reserve(kept_.byNumber.size());
        for (std::size_t i = 0; i < kept_.byNumber.size(); ++i)
            numbers_.emplace(kept_.byNumber[i], quint64(i));
        // A file from which a block went missing still numbers new texts after every number
        // handed out, so no number ever names two texts.
        next_ = std::max<quint64>(next_, kept_.byNumber.size());
    }

    // `coming`: how many texts the snapshot names at most.
    void expect(qsizetype coming) { added_.reserve(std::size_t(coming)); }

    // Begins a group: new texts met before it are not looked for again.
    void beginGroup()
    {
        // Clearing costs what the table once grew to; a large one is let go instead.
        if (group_.size() > 64)
            group_ = Table();
        else
            group_.clear();
    }

    // `utf8` must outlive the numbering: it points into the snapshot's tally.
    quint64 number(QByteArrayView utf8)
    {
        const std::string_view view(utf8.data(), std::size_t(utf8.size()));
        if (!numbers_.empty())
            if (auto found = numbers_.find(view); found != numbers_.end())
                return found->second;
        const auto [at, added] = group_.try_emplace(view, next_);
        if (!added)
            return at->second;
        added_.push_back(view);
        return next_++;
    }

    quint64 next() const { return next_; }
    const std::vector<std::string_view>& added() const { return added_; }
    quint64 firstAdded() const { return next_ - added_.size(); }

private:
    // Qt's hash reads many bytes a step, where the standard library's reads a few: with links
    // of some 60 bytes, hashing is much of what keeping a large import costs.
    struct TextHash {
        std::size_t operator()(std::string_view text) const
        {
            return qHash(QByteArrayView(text.data(), qsizetype(text.size())), 0);
        }
    };
    using Table = boost::unordered_flat_map<std::string_view, quint64, TextHash>;

    Texts kept_;
    quint64 next_;
    std::vector<std::string_view> added_;
    Table numbers_; // the kept texts
    Table group_;   // the new texts of the group being numbered
};

} // namespace

HistoryStore::HistoryStore(QString path)
    : path_(std::move(path)),
      connection_(QStringLiteral("ostrel-history-%1").arg(connections.fetch_add(1)))
{
}

HistoryStore::~HistoryStore()
{
    closeConnection();
}

bool HistoryStore::fail(const QString& reason)
{
    error_ = reason;
    return false;
}

bool HistoryStore::openConnection()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    if (!db.isValid())
        return fail(QStringLiteral("没有SQLite数据库驱动(libqt6sql6-sqlite)"));
    db.setDatabaseName(path_);
    // Another window may be writing a snapshot: wait for it rather than fail at once.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000"));
    if (!db.open())
        return fail(db.lastError().text());
    return true;
}

void HistoryStore::closeConnection()
{
    open_ = false;
    if (!QSqlDatabase::contains(connection_))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

StoreOpening HistoryStore::open()
{
    StoreOpening opening;
    closeConnection();
    error_.clear();
    // SQLite would follow a symbolic link planted at the name and write wherever it points.
    if (const QString refusal = symlinkRefusal(path_); !refusal.isEmpty()) {
        opening.reason = refusal;
        return opening;
    }
    const QFileInfo file(path_);
    if (!QDir().mkpath(file.absolutePath())) {
        opening.reason = QStringLiteral("无法创建文件夹") + file.absolutePath();
        return opening;
    }

    // A damaged file is put aside with its journal under one name, so a new file can start
    // and whoever looks into it finds the whole of it.
    auto moveAside = [&]() {
        closeConnection();
        const QString aside =
            path_ + QStringLiteral(".damaged-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (!QFile::rename(path_, aside))
            return false;
        for (const char* suffix : {"-wal", "-shm"})
            QFile::rename(path_ + QLatin1String(suffix), aside + QLatin1String(suffix));
        opening.movedAside = aside;
        return true;
    };
    // Reads the version, and finds a damaged file before anything is written to it. SQLite
    // opens any file without complaint; only the first statement tells.
    auto check = [&]() -> std::optional<int> {
        if (!openConnection())
            return std::nullopt;
        Query sound(connection_, "PRAGMA quick_check");
        if (!sound.exec() || !sound.next()) {
            error_ = sound.error();
            return isDamage(sound.lastError()) ? std::optional(-1) : std::nullopt;
        }
        if (sound.value(0).toString() != u"ok")
            return -1;
        Query version(connection_, "PRAGMA user_version");
        if (!version.exec() || !version.next()) {
            error_ = version.error();
            return isDamage(version.lastError()) ? std::optional(-1) : std::nullopt;
        }
        return version.value(0).toInt();
    };

    std::optional<int> version = startsLikeDatabase(path_) ? check() : -1;
    if (version == -1) {
        if (!moveAside()) {
            opening.reason = QStringLiteral("无法移开损坏的文件") + path_;
            return opening;
        }
        error_.clear();
        version = check();
    }
    if (!version || *version < 0) {
        closeConnection();
        opening.reason = error_;
        return opening;
    }
    if (*version > schemaVersion) {
        // Untouched: not even the journal mode is set, which would write to it.
        closeConnection();
        opening.state = StoreOpening::State::Newer;
        opening.reason =
            QStringLiteral("历史文件%1来自较新版本的Ostrel,本版本不记录历史,也不改动它").arg(path_);
        return opening;
    }

    // Write-ahead logging lets one window read while another writes; with it, a normal sync
    // keeps every committed snapshot through a crash of the program, and an interrupted one is
    // simply absent.
    for (const char* pragma :
         {"PRAGMA foreign_keys = ON", "PRAGMA journal_mode = WAL", "PRAGMA synchronous = NORMAL"}) {
        Query set(connection_, pragma);
        if (!set.exec()) {
            opening.reason = set.error();
            closeConnection();
            return opening;
        }
    }
    if (!migrate(*version)) {
        opening.reason = error_;
        closeConnection();
        return opening;
    }
    open_ = true;
    opening.state = StoreOpening::State::Ready;
    return opening;
}

StoreOpening HistoryStore::attach()
{
    StoreOpening opening;
    closeConnection();
    error_.clear();
    if (const QString refusal = symlinkRefusal(path_); !refusal.isEmpty()) {
        opening.reason = refusal;
        return opening;
    }
    if (!openConnection()) {
        opening.reason = error_;
        return opening;
    }
    Query keys(connection_, "PRAGMA foreign_keys = ON");
    Query version(connection_, "PRAGMA user_version");
    if (!keys.exec() || !version.exec() || !version.next() ||
        version.value(0).toInt() != schemaVersion) {
        opening.reason = version.error();
        closeConnection();
        return opening;
    }
    open_ = true;
    opening.state = StoreOpening::State::Ready;
    return opening;
}

bool HistoryStore::migrate(int from)
{
    auto run = [this](const char* sql) {
        Query statement(connection_, sql);
        return statement.exec() || fail(statement.error());
    };
    for (int version = from; version < schemaVersion;) {
        // Another window may be bringing the same file up to date: the version is read again
        // once the file is ours.
        if (!run("BEGIN IMMEDIATE"))
            return false;
        Query current(connection_, "PRAGMA user_version");
        if (!current.exec() || !current.next()) {
            fail(current.error());
            run("ROLLBACK");
            return false;
        }
        const int now = current.value(0).toInt();
        if (now != version) {
            run("COMMIT");
            if (now > schemaVersion)
                return fail(QStringLiteral("历史文件来自较新版本的Ostrel"));
            version = now;
            continue;
        }
        bool ok = true;
        for (const char* sql : migrations[std::size_t(version)])
            ok = ok && run(sql);
        ok =
            ok &&
            run(QStringLiteral("PRAGMA user_version = %1").arg(version + 1).toLatin1().constData());
        if (!ok || !run("COMMIT")) {
            const QString reason = error_;
            run("ROLLBACK");
            return fail(reason);
        }
        ++version;
    }
    return true;
}

std::optional<qint64> HistoryStore::save(const Snapshot& snapshot)
{
    if (!open_) {
        fail(QStringLiteral("历史文件未打开"));
        return std::nullopt;
    }
    auto run = [this](Query& query) { return query.exec() || fail(query.error()); };
    Query begin(connection_, "BEGIN IMMEDIATE");
    if (!run(begin))
        return std::nullopt;
    auto rollback = [this]() -> std::optional<qint64> {
        Query(connection_, "ROLLBACK").exec();
        return std::nullopt;
    };

    Query addSite(connection_, "INSERT INTO site (name) VALUES (?) ON CONFLICT (name) DO NOTHING");
    Query site(connection_, "SELECT id, host_texts, link_texts FROM site WHERE name = ?");
    if (!run(addSite.bind(snapshot.site)) || !run(site.bind(snapshot.site)) || !site.next())
        return rollback();
    const qint64 siteId = site.value(0).toLongLong();
    const HostTally& tally = snapshot.tally;
    Numbering hosts(loadTexts(connection_, siteId, HostText), site.value(1).toULongLong());
    Numbering links(loadTexts(connection_, siteId, LinkText), site.value(2).toULongLong());
    hosts.expect(tally.hostCount());
    links.expect(tally.linkCount());

    QByteArray hostList, linkList;
    hostList.reserve(tally.hostCount() * 4);
    linkList.reserve(tally.linkCount() * 2);
    qint64 linkCount = 0;
    qint64 previous = 0;
    for (qsizetype host = 0; host < tally.hostCount(); ++host) {
        const qsizetype count = tally.linkCount(host);
        putNumber(hostList, hosts.number(tally.hostUtf8(host)));
        putNumber(hostList, quint64(count));
        links.beginGroup();
        putNumber(hostList, zigzag(tally.count(host) - count));
        for (qsizetype i = 0; i < count; ++i) {
            const auto number = qint64(links.number(tally.linkUtf8(host, i)));
            putNumber(linkList, zigzag(number - previous));
            previous = number;
        }
        linkCount += count;
    }

    auto writeTexts = [&](const Numbering& numbering, TextKind kind) {
        QByteArray block;
        block.reserve(blockBytes + 4096);
        quint64 first = numbering.firstAdded();
        quint64 count = 0;
        auto flush = [&] {
            if (count == 0)
                return true;
            Query insert(connection_, "INSERT INTO text_block (site_id, kind, first, count, texts)"
                                      " VALUES (?, ?, ?, ?, ?)");
            // Bound without a copy, so one buffer serves every block: fresh megabytes each time
            // would cost their page faults.
            insert.bind(siteId).bind(int(kind)).bind(first).bind(count).bind(
                QByteArray::fromRawData(block.constData(), block.size()));
            first += count;
            count = 0;
            const bool ok = run(insert);
            block.truncate(0);
            return ok;
        };
        for (const std::string_view text : numbering.added()) {
            putNumber(block, quint64(text.size()));
            block.append(text.data(), qsizetype(text.size()));
            ++count;
            if (block.size() >= blockBytes && !flush())
                return false;
        }
        return flush();
    };
    if (!writeTexts(hosts, HostText) || !writeTexts(links, LinkText))
        return rollback();

    Query counters(connection_, "UPDATE site SET host_texts = ?, link_texts = ? WHERE id = ?");
    counters.bind(hosts.next()).bind(links.next()).bind(siteId);
    Query insert(connection_, "INSERT INTO snapshot (site_id, taken, files, host_count, link_count,"
                              " hosts, links) VALUES (?, ?, ?, ?, ?, ?, ?)");
    const QString files = jsonFiles(snapshot.files);
    insert.bind(siteId)
        .bind(snapshot.taken.toMSecsSinceEpoch())
        .bind(files.isNull() ? QVariant() : QVariant(files))
        .bind(qint64(tally.hostCount()))
        .bind(linkCount)
        .bind(hostList)
        .bind(linkList);
    if (!run(counters) || !run(insert))
        return rollback();
    const qint64 snapshotId = insert.lastInsertId();
    Query commit(connection_, "COMMIT");
    if (!run(commit))
        return rollback();
    return snapshotId;
}

bool HistoryStore::remove(qint64 snapshot)
{
    if (!open_)
        return fail(QStringLiteral("历史文件未打开"));
    Query begin(connection_, "BEGIN IMMEDIATE");
    if (!begin.exec())
        return fail(begin.error());
    // The texts of a site go with its last snapshot; its disavowed entries stay.
    Query site(connection_, "SELECT site_id FROM snapshot WHERE id = ?");
    Query drop(connection_, "DELETE FROM snapshot WHERE id = ?");
    Query texts(connection_, "DELETE FROM text_block WHERE site_id = ? AND NOT EXISTS"
                             " (SELECT 1 FROM snapshot WHERE site_id = ?)");
    Query counters(connection_, "UPDATE site SET host_texts = 0, link_texts = 0 WHERE id = ?"
                                " AND NOT EXISTS (SELECT 1 FROM snapshot WHERE site_id = ?)");
    bool ok = site.bind(snapshot).exec() || fail(site.error());
    if (ok && site.next()) {
        const qint64 siteId = site.value(0).toLongLong();
        ok = (drop.bind(snapshot).exec() || fail(drop.error())) &&
             (texts.bind(siteId).bind(siteId).exec() || fail(texts.error())) &&
             (counters.bind(siteId).bind(siteId).exec() || fail(counters.error()));
    }
    Query end(connection_, ok ? "COMMIT" : "ROLLBACK");
    return (end.exec() || fail(end.error())) && ok;
}

QStringList HistoryStore::sites() const
{
    QStringList names;
    if (!open_)
        return names;
    Query sites(connection_, "SELECT name FROM site WHERE EXISTS"
                             " (SELECT 1 FROM snapshot WHERE site_id = site.id) ORDER BY name");
    if (sites.exec())
        while (sites.next())
            names.append(sites.value(0).toString());
    return names;
}

QList<SnapshotInfo> HistoryStore::snapshots(const QString& site) const
{
    QList<SnapshotInfo> list;
    if (!open_)
        return list;
    Query query(connection_,
                "SELECT snapshot.id, taken, files, host_count, link_count FROM snapshot"
                " JOIN site ON site.id = site_id WHERE site.name = ? ORDER BY taken, snapshot.id");
    if (!query.bind(site).exec())
        return list;
    while (query.next()) {
        list.append({query.value(0).toLongLong(), site,
                     QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC),
                     filesOf(query.value(2)), query.value(3).toLongLong(),
                     query.value(4).toLongLong()});
    }
    return list;
}

std::optional<SnapshotInfo> HistoryStore::latest(const QString& site) const
{
    const QList<SnapshotInfo> all = snapshots(site);
    if (all.isEmpty())
        return std::nullopt;
    return all.back();
}

std::vector<HostLinkCount> HistoryStore::hostCounts(qint64 snapshot) const
{
    std::vector<HostLinkCount> counts;
    if (!open_)
        return counts;
    Query query(connection_, "SELECT site_id, hosts FROM snapshot WHERE id = ?");
    if (!query.bind(snapshot).exec() || !query.next())
        return counts;
    const Texts names = loadTexts(connection_, query.value(0).toLongLong(), HostText);
    const QByteArray hosts = query.value(1).toByteArray();
    const char* at = hosts.constData();
    const char* end = at + hosts.size();
    quint64 number = 0, links = 0, more = 0;
    while (takeNumber(at, end, number) && takeNumber(at, end, links) && takeNumber(at, end, more))
        counts.push_back({names.text(number), qint64(links) + unzigzag(more)});
    return counts;
}

QStringList HistoryStore::links(qint64 snapshot,
                                const std::function<bool(const QString&)>& matches) const
{
    QStringList found;
    if (!open_)
        return found;
    Query query(connection_, "SELECT site_id, hosts, links FROM snapshot WHERE id = ?");
    if (!query.bind(snapshot).exec() || !query.next())
        return found;
    const qint64 siteId = query.value(0).toLongLong();
    const Texts names = loadTexts(connection_, siteId, HostText);
    const QByteArray hosts = query.value(1).toByteArray();
    const QByteArray links = query.value(2).toByteArray();
    const char* hostAt = hosts.constData();
    const char* hostEnd = hostAt + hosts.size();
    const char* linkAt = links.constData();
    const char* linkEnd = linkAt + links.size();

    std::vector<quint64> numbers;
    quint64 host = 0, count = 0, more = 0, step = 0;
    qint64 previous = 0;
    while (takeNumber(hostAt, hostEnd, host) && takeNumber(hostAt, hostEnd, count) &&
           takeNumber(hostAt, hostEnd, more)) {
        const bool wanted = matches(names.text(host));
        for (quint64 i = 0; i < count && takeNumber(linkAt, linkEnd, step); ++i) {
            previous += unzigzag(step);
            if (wanted)
                numbers.push_back(quint64(previous));
        }
    }
    if (numbers.empty())
        return found;
    const Texts texts = loadTexts(connection_, siteId, LinkText);
    found.reserve(qsizetype(numbers.size()));
    for (const quint64 number : numbers)
        found.append(texts.text(number));
    return found;
}
