#include "platform/Twips.h"
#include "support/Form1Harness.h"
#include "support/ResultPages.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using Reply = HttpFixture::Reply;

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// While alive, the calling thread acts as the unprivileged user "nobody", so that a read-only
// folder is read-only to a test run by root too. The raw system call changes this thread alone
// and keeps root as the saved user to return to; for any other user nothing changes.
class ActAsNobody {
public:
    ActAsNobody() : active_(geteuid() == 0 && syscall(SYS_setresuid, 65534, 65534, 0) == 0) {}
    ~ActAsNobody()
    {
        if (active_)
            syscall(SYS_setresuid, 0, 0, 0);
    }
    ActAsNobody(const ActAsNobody&) = delete;
    ActAsNobody& operator=(const ActAsNobody&) = delete;

private:
    bool active_;
};

// While alive, no file of this process may grow past `bytes`, as when the disk is full; a write
// past it fails instead of raising a signal.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        const rlimit limited{bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

// Modes of the folders the export is tried in, alike for their owner, their group and the rest.
constexpr QFile::Permissions readableOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions openToAll =
    readableOnly | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;

} // namespace

class TestRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { h = std::make_unique<Form1Harness>(); }
    void cleanup();

    void walk_data();
    void walk();
    void hostsOfLinks_data();
    void hostsOfLinks();
    void endOfRun();
    void replyWhilePausedEndsRunThenSecondRun();
    void exportAfterRun();
    void exportRefusedOrFailed_data();
    void exportRefusedOrFailed();
    void exportFolder_data();
    void exportFolder();
    void exportKeepsGoodFile_data();
    void exportKeepsGoodFile();

private:
    QStringList gridRows() const; // "number|host|count" from row 1 on

    std::unique_ptr<Form1Harness> h;
    QByteArray savedHome;
};

void TestRun::cleanup()
{
    h.reset();
    if (!savedHome.isNull())
        qputenv("HOME", std::exchange(savedHome, QByteArray()));
}

QStringList TestRun::gridRows() const
{
    QStringList rows;
    FlexGrid* grid = h->tb1();
    for (int r = 1; r < grid->Rows(); ++r)
        rows.append(grid->TextMatrix(r, 0) + u'|' + grid->TextMatrix(r, 1) + u'|' +
                    grid->TextMatrix(r, 2));
    return rows;
}

void TestRun::walk_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("total"); // as the page writes it; null: no marker
    QTest::addColumn<int>("available"); // results the explorer really lists
    QTest::addColumn<int>("requests");  // pages asked for: b = 1, 51, ...
    QTest::addColumn<int>("links");     // tallied when the run ended
    QTest::addColumn<QStringList>("boxes");

    const QStringList none;
    QTest::newRow("over 1000") << 200 << u"23817"_qs << 5000 << 20 << 1000 << none;
    QTest::newRow("37 on one page") << 200 << u"37"_qs << 37 << 1 << 37 << none;
    QTest::newRow("total past 32 bits") << 200 << u"99999999999"_qs << 5000 << 20 << 1000 << none;
    QTest::newRow("no total") << 200 << QString() << 50 << 1 << 1 << QStringList{u"Not Match 1"_qs};
    // Pages that never reach the total end the run after b = 951 instead of walking on.
    QTest::newRow("results stop early")
        << 200 << u"300"_qs << 120 << 20 << 120 << QStringList(17, u"Not Match 2"_qs);
    QTest::newRow("every page fails")
        << 500 << u"300"_qs << 300 << 20 << 0 << QStringList(20, u"500"_qs);
}

void TestRun::walk()
{
    QFETCH(int, status);
    QFETCH(QString, total);
    QFETCH(int, available);
    QFETCH(int, requests);
    QFETCH(int, links);
    QFETCH(QStringList, boxes);

    h->serveResults([=](int b) {
        QStringList pageLinks;
        for (int n = b; n < b + 50 && n <= available; ++n)
            pageLinks.append(u"http://h%1.example/p%2"_qs.arg(n % 7).arg(n));
        return Reply::answer(resultPage(total, pageLinks, b), status);
    });
    h->startRun(u"example.com"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(h->Command1()->isEnabled(), 60'000);

    QStringList expectedB;
    for (int i = 0; i < requests; ++i)
        expectedB.append(QString::number(1 + 50 * i));
    QCOMPARE(h->requestedB(), expectedB);
    QCOMPARE(h->form->pageNo, 1 + 50 * (requests - 1));
    QCOMPARE(h->form->dict.linkCount(), links);
    const int hosts = std::min(links, 7);
    QCOMPARE(h->label("Label1")->caption(),
             u"已完成,共%1个域名,%2条链接,双击域名可列出链接"_qs.arg(hosts).arg(links));
    QCOMPARE(h->tb1()->Rows(), 1 + hosts);
    QCOMPARE(h->boxTexts(u"Warning"_qs), boxes);
    QCOMPARE(h->boxes.size(), boxes.size());
    QVERIFY(!h->Command2()->isEnabled());
    QVERIFY(!h->label("Label3")->isHidden());
}

void TestRun::hostsOfLinks_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("grid");

    auto page = [](const QStringList& links) {
        return resultPage(QString::number(links.size()), links);
    };
    QTest::newRow("letter case makes two hosts")
        << page({u"http://Example.com/a"_qs, u"http://example.com/b"_qs})
        << QStringList{u"1|Example.com|1个"_qs, u"2|example.com|1个"_qs};
    QTest::newRow("no slash after host takes previous host")
        << page({u"http://a.example/1"_qs, u"http://b.example"_qs})
        << QStringList{u"1|a.example|2个"_qs};
    QTest::newRow("other schemes first go under the empty host")
        << page({u"https://s.example/1"_qs, u"ftp://f.example/2"_qs, u"http://c.example/3"_qs})
        << QStringList{u"1||2个"_qs, u"2|c.example|1个"_qs};
    QTest::newRow("listed twice counts twice")
        << page({u"http://a.example/p"_qs, u"http://a.example/p"_qs})
        << QStringList{u"1|a.example|2个"_qs};
    QTest::newRow("result number past 32 bits ends the run")
        << QByteArray(u"共 <strong>100</strong> 条"_qs.toUtf8() +
                      resultEntry(u"1"_qs, u"http://a.example/1"_qs).toUtf8() +
                      resultEntry(u"99999999999"_qs, u"http://b.example/2"_qs).toUtf8() +
                      resultEntry(u"3"_qs, u"http://c.example/3"_qs).toUtf8())
        << QStringList{u"1|a.example|1个"_qs, u"2|b.example|1个"_qs};
}

void TestRun::hostsOfLinks()
{
    QFETCH(QByteArray, page);
    QFETCH(QStringList, grid);

    h->serveResults([=](int) { return Reply::answer(page); });
    h->startRun(u"example.com"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(h->Command1()->isEnabled(), 10'000);
    QCOMPARE(gridRows(), grid);
    QCOMPARE(h->requestedB(), QStringList{u"1"_qs});
    QVERIFY(h->boxes.isEmpty());
}

void TestRun::endOfRun()
{
    // Hosts met in the order a..e with 9, 12, 3, 12 and 9 links.
    const QList<QPair<QString, int>> counts = {
        {u"a"_qs, 9}, {u"b"_qs, 12}, {u"c"_qs, 3}, {u"d"_qs, 12}, {u"e"_qs, 9}};
    QStringList links;
    for (int round = 0; round < 12; ++round)
        for (const auto& [host, count] : counts)
            if (round < count)
                links.append(u"http://%1.example/%2"_qs.arg(host).arg(round));
    h->serveResults([=](int) { return Reply::answer(resultPage(u"45"_qs, links)); });
    h->startRun(u"example.com"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(h->Command1()->isEnabled(), 10'000);

    // Most links on top, numbers compared as numbers, ties in the order the run met them.
    QCOMPARE(gridRows(),
             (QStringList{u"2|b.example|12个"_qs, u"4|d.example|12个"_qs, u"1|a.example|9个"_qs,
                          u"5|e.example|9个"_qs, u"3|c.example|3个"_qs}));
    QCOMPARE(h->form->domainStr,
             u"a.example\r\nb.example\r\nc.example\r\nd.example\r\ne.example\r\n"_qs);
    CaptionLabel* status = h->label("Label1");
    QCOMPARE(status->caption(), u"已完成,共5个域名,45条链接,双击域名可列出链接"_qs);
    QCOMPARE(h->label("Label3")->x(),
             twipsToPixels(pixelsToTwips(status->x() + status->width()) + 200));
}

void TestRun::replyWhilePausedEndsRunThenSecondRun()
{
    h->serveResults([](int) {
        return Reply::answer(
            resultPage(u"2"_qs, {u"http://first.example/1"_qs, u"http://first.example/2"_qs}));
    });
    h->startRun(u"example.com"_qs);
    QTest::mouseClick(h->Command2(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(h->Command1()->isEnabled(), 10'000);
    QVERIFY(h->form->pause && !h->Command2()->isEnabled());
    QCOMPARE(gridRows(), QStringList{u"1|first.example|2个"_qs});

    h->serveResults(
        [](int) { return Reply::answer(resultPage(u"1"_qs, {u"http://second.example/1"_qs})); });
    h->startRun(u"example.com"_qs);
    QCOMPARE(h->Command2()->text(), u"暂停"_qs);
    QVERIFY(h->Command2()->isEnabled() && !h->label("Label3")->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(h->Command1()->isEnabled(), 10'000);
    QCOMPARE(gridRows(), QStringList{u"1|second.example|1个"_qs});
    QCOMPARE(h->form->domainStr, u"second.example\r\n"_qs);
}

void TestRun::exportAfterRun()
{
    QTemporaryDir folder;
    h->form->programFolder = folder.path();
    h->serveResults([](int) {
        return Reply::answer(
            resultPage(u"3"_qs, {u"https://s.example/1"_qs, u"http://a.example/2"_qs,
                                 u"http://中文.cn/3"_qs}));
    });
    h->startRun(u"site.example"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(h->Command1()->isEnabled(), 10'000);

    // The name is the site text at the click, not the one the run was made for.
    h->Text1()->setText(u"改名.example"_qs);
    QTest::mouseClick(h->label("Label3"), Qt::LeftButton);
    const QString path = folder.path() + u"/改名.example外链域名.txt"_qs;
    QCOMPARE(h->boxTexts(u"提示"_qs), QStringList{u"导出到"_qs + path + u"成功!"_qs});
    // CP936, the host of the https link as an empty line, and one more line end.
    QCOMPARE(fileBytes(path), QByteArray("\r\na.example\r\n\xD6\xD0\xCE\xC4.cn\r\n\r\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"改名.example外链域名.txt"_qs});

    // A later run that is still walking has no host list yet; exporting replaces the file.
    h->serveResults([](int) { return Reply::silence(); });
    QTest::mouseClick(h->Command1(), Qt::LeftButton);
    QTest::mouseClick(h->label("Label3"), Qt::LeftButton);
    QCOMPARE(h->boxTexts(u"提示"_qs).size(), 2);
    QCOMPARE(fileBytes(path), QByteArray("\r\n"));
    QVERIFY(h->boxTexts(u"Warning"_qs).isEmpty());
}

void TestRun::exportRefusedOrFailed_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("reason"); // a part of the reason the box gives

    QTest::newRow("slash") << u"a/b"_qs << u"\"/\""_qs;
    QTest::newRow("parent folder") << u"../x"_qs << u"\"/\""_qs;
    QTest::newRow("NUL") << u"a\0b"_qs << u"空字符"_qs;
    QTest::newRow("name too long") << QString(300, u'x') << QString();
}

void TestRun::exportRefusedOrFailed()
{
    QFETCH(QString, site);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    h->form->programFolder = folder.path();
    h->form->domainStr = u"a.example\r\n"_qs;
    h->Text1()->setText(site);
    QCOMPARE(h->Text1()->text(), site);

    QTest::mouseClick(h->label("Label3"), Qt::LeftButton);
    QVERIFY(h->boxTexts(u"提示"_qs).isEmpty());
    const QStringList warnings = h->boxTexts(u"Warning"_qs);
    QCOMPARE(warnings.size(), 1);
    const QString failed = u"导出到"_qs + folder.path() + u'/' + site + u"外链域名.txt失败:"_qs;
    QVERIFY2(warnings[0].startsWith(failed), qPrintable(warnings[0]));
    QVERIFY(warnings[0].size() > failed.size());
    QVERIFY(warnings[0].contains(reason));
    QVERIFY(QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QVERIFY(!QFile::exists(folder.path() + u"/../x外链域名.txt"_qs));
}

void TestRun::exportFolder_data()
{
    QTest::addColumn<bool>("readOnly");      // the program's folder exists but is read-only
    QTest::addColumn<bool>("documentsMade"); // the documents folder can be made

    QTest::newRow("program folder read-only") << true << true;
    QTest::newRow("program folder missing") << false << true;
    QTest::newRow("no documents folder either") << false << false;
}

void TestRun::exportFolder()
{
    QFETCH(bool, readOnly);
    QFETCH(bool, documentsMade);

    QTemporaryDir root;
    QVERIFY(QFile::setPermissions(root.path(), openToAll));
    const QString program = root.path() + u"/bin"_qs;
    if (readOnly) {
        QVERIFY(QDir(root.path()).mkdir(u"bin"_qs));
        QVERIFY(QFile::setPermissions(program, readableOnly));
    }
    // The documents folder lies in the home folder; where home is a file it cannot be made.
    QString home = root.path() + u"/home"_qs;
    if (documentsMade) {
        QVERIFY(QDir(root.path()).mkdir(u"home"_qs));
        QVERIFY(QFile::setPermissions(home, openToAll));
    } else {
        QFile file(home);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home));
    qunsetenv("XDG_CONFIG_HOME");
    const QString documents = home + u"/Documents"_qs;
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), documents);

    h->form->programFolder = program;
    h->form->domainStr = u"a.example\r\n"_qs;
    h->Text1()->setText(u"site"_qs);
    {
        const ActAsNobody nobody;
        if (readOnly && QFileInfo(program).isWritable())
            QSKIP("this user may write into a read-only folder");
        QTest::mouseClick(h->label("Label3"), Qt::LeftButton);
    }

    const QString path = documents + u"/site外链域名.txt"_qs;
    if (documentsMade) {
        QCOMPARE(h->boxTexts(u"提示"_qs), QStringList{u"导出到"_qs + path + u"成功!"_qs});
        QCOMPARE(fileBytes(path), QByteArray("a.example\r\n\r\n"));
    } else {
        QVERIFY(h->boxTexts(u"提示"_qs).isEmpty());
        const QStringList warnings = h->boxTexts(u"Warning"_qs);
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings[0].startsWith(u"导出到"_qs + path + u"失败:"_qs));
    }
    if (readOnly)
        QVERIFY(QDir(program).isEmpty());
    QFile::setPermissions(program, openToAll);
}

void TestRun::exportKeepsGoodFile_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("disk full") << u"full"_qs;
    QTest::newRow("file read-only") << u"read-only file"_qs;
    QTest::newRow("both folders read-only") << u"read-only folders"_qs;
}

void TestRun::exportKeepsGoodFile()
{
    QFETCH(QString, obstacle);
    QTemporaryDir root;
    QVERIFY(QFile::setPermissions(root.path(), openToAll));
    const QString program = root.path() + u"/bin"_qs;
    const QString documents = root.path() + u"/home/Documents"_qs;
    QVERIFY(QDir().mkpath(program));
    QVERIFY(QDir().mkpath(documents));
    savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(root.path() + u"/home"_qs));
    qunsetenv("XDG_CONFIG_HOME");

    // A good list from an earlier export lies in both folders.
    const QString name = u"site外链域名.txt"_qs;
    const QByteArray good("good.example\r\n\r\n");
    for (const QString& folder : {program, documents}) {
        QFile file(folder + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(good) == good.size());
    }
    const bool foldersReadOnly = obstacle == u"read-only folders";
    const QString path = (foldersReadOnly ? documents : program) + u'/' + name;
    if (obstacle == u"read-only file")
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    for (const QString& folder : {program, documents})
        QVERIFY(QFile::setPermissions(folder, foldersReadOnly ? readableOnly : openToAll));

    h->form->programFolder = program;
    h->form->domainStr = u"a.example\r\n"_qs.repeated(10'000); // past the size limit below
    h->Text1()->setText(u"site"_qs);
    if (obstacle == u"full") {
        const FileSizeLimit full(4096);
        QTest::mouseClick(h->label("Label3"), Qt::LeftButton);
    } else {
        const ActAsNobody nobody;
        if (QFileInfo(foldersReadOnly ? documents : path).isWritable())
            QSKIP("this user may write where permissions forbid it");
        QTest::mouseClick(h->label("Label3"), Qt::LeftButton);
    }

    QVERIFY(h->boxTexts(u"提示"_qs).isEmpty());
    const QStringList warnings = h->boxTexts(u"Warning"_qs);
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings[0].startsWith(u"导出到"_qs + path + u"失败:"_qs), qPrintable(warnings[0]));
    QVERIFY2(!warnings[0].endsWith(u"Unknown error"_qs), qPrintable(warnings[0]));
    for (const QString& folder : {program, documents}) {
        QCOMPARE(fileBytes(folder + u'/' + name), good);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        QFile::setPermissions(folder, openToAll);
    }
}

QTEST_MAIN(TestRun)
#include "tst_run.moc"
