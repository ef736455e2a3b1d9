// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/HostListExport.h"
#include "platform/CodePage.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Site; bin/ (with a good list, ":ro", " full"); where the list goes, or "!" and part of why not.
using Export = std::tuple<QString, QString, QString>;

const QString listName = u"site外链域名.txt"_qs;
const QByteArray good = "good.example\r\n\r\n";

bool setMode(const QString& path, int mode)
{
    return QFile::setPermissions(path, QFile::Permissions::fromInt(mode));
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void exportHostList_data();
    void exportHostList();
    void scripts_data();
    void scripts();

private:
    std::unique_ptr<QTemporaryDir> root;
    std::map<const char*, std::optional<QByteArray>> saved;
};

void TestExport::init()
{
    for (const char* name : {"HOME", "XDG_CONFIG_HOME"})
        saved[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    root = std::make_unique<QTemporaryDir>();
    QVERIFY(setMode(root->path(), 0x7777));
    qputenv("HOME", QFile::encodeName(root->filePath(u"home"_qs)));
    qunsetenv("XDG_CONFIG_HOME");
    std::signal(SIGXFSZ, SIG_IGN); // past the file size limit a write fails instead
}

void TestExport::cleanup()
{
    for (const auto& [name, value] : saved)
        value ? qputenv(name, *value) : qunsetenv(name);
    setMode(root->filePath(u"bin"_qs), 0x7777);
    root.reset();
}

void TestExport::exportHostList_data()
{
    QTest::addColumn<Export>("e");
    QTest::newRow("over the old") << Export{u"site"_qs, u"bin"_qs, u"bin"_qs};
    QTest::newRow("folder read-only") << Export{u"site"_qs, u"bin:ro"_qs, u"home/Documents"_qs};
    QTest::newRow("no folder") << Export{u"site"_qs, {}, u"home/Documents"_qs};
    QTest::newRow("slash") << Export{u"../site"_qs, u"bin"_qs, u"!\"/\""_qs};
    QTest::newRow("NUL") << Export{u"a\0b"_qs, u"bin"_qs, u"!空字符"_qs};
    QTest::newRow("list read-only") << Export{u"site"_qs, u"bin list:ro"_qs, u"!"_qs};
    QTest::newRow("disk full") << Export{u"site"_qs, u"bin full"_qs, u"!"_qs};
    QTest::newRow("planted link") << Export{u"site"_qs, u"bin link"_qs, u"!符号链接"_qs};
}

void TestExport::exportHostList()
{
    QFETCH(Export, e);
    const auto& [site, setup, outcome] = e;
    const QString bin = root->filePath(u"bin"_qs);
    QFile old(bin + u'/' + listName);
    // Another user's link at the list's name, to a file of the user's own.
    if (setup.contains(u"link")) {
        QVERIFY(QDir().mkdir(bin) && QFile::link(root->filePath(u"victim"_qs), old.fileName()));
        old.setFileName(root->filePath(u"victim"_qs));
    }
    if (setup.contains(u"bin"))
        QVERIFY((setup.contains(u"link") || QDir().mkdir(bin)) && old.open(QIODevice::WriteOnly) &&
                old.write(good) == 16 && old.flush() &&
                setMode(old.fileName(), setup.contains(u"list:ro") ? 0x4444 : 0x6666) &&
                setMode(bin, setup.contains(u"bin:ro") ? 0x5555 : 0x7777));

    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit full{setup.contains(u"full") ? 4096 : unlimited.rlim_cur, unlimited.rlim_max};
    setrlimit(RLIMIT_FSIZE, &full);
    // As the user "nobody" when run as root, so that permissions bind; the raw system call
    // changes this thread alone and keeps root to return to.
    const bool nobody = geteuid() == 0 && syscall(SYS_setresuid, 65534, 65534, 0) == 0;
    const QString readOnly = setup.contains(u"bin:ro") ? bin : old.fileName();
    if (setup.contains(u":ro") && ::access(QFile::encodeName(readOnly), W_OK) == 0) {
        if (nobody)
            syscall(SYS_setresuid, 0, 0, 0);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        QSKIP("Read-only files bind no one here: root that may not change its user id.");
    }
    const HostListExport done = ::exportHostList(
        hostListFolder(bin), site, u"\r\na.example\r\n中文.cn\r\n"_qs.repeated(300)); // 6600 bytes
    if (nobody)
        syscall(SYS_setresuid, 0, 0, 0);
    setrlimit(RLIMIT_FSIZE, &unlimited);

    const bool failed = outcome.startsWith(u'!');
    const QString folder = failed ? bin : root->filePath(outcome);
    if (failed)
        QVERIFY2(!done.ok && !done.reason.isEmpty() && done.reason.contains(outcome.mid(1)) &&
                     !done.reason.contains(u"Unknown error"),
                 qPrintable(done.reason));
    else
        QVERIFY2(done.ok && done.path == folder + u'/' + listName, qPrintable(done.reason));
    // The old list kept, or the new one in CP936 with CR LF and one more; nothing beside it.
    QFile list(folder + u'/' + listName);
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(),
             failed
                 ? good
                 : QByteArray("\r\na.example\r\n\xD6\xD0\xCE\xC4.cn\r\n").repeated(300) + "\r\n");
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{listName});
    QCOMPARE(QFileInfo(list).isSymLink(), setup.contains(u"link"));
}

// Hosts in other scripts are kept whole; whoever reads the lists as code page 936 sees every host
// they could read before unchanged (the euro sign aside, which no host name holds).
void TestExport::scripts_data()
{
    QTest::addColumn<QString>("hosts");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Korean") << u"한국.kr"_qs << "\x83\x36\x84\x33\x82\x37\xF4\x30.kr"_qba;
    QTest::newRow("Arabic")
        << u"مثال.eg"_qs
        << "\x81\x31\x86\x39\x81\x31\x84\x33\x81\x31\x83\x39\x81\x31\x86\x38.eg"_qba;
    QTest::newRow("emoji") << u"😀.ws"_qs << "\x94\x39\xFC\x36.ws"_qba;
    QString all;
    for (char32_t c = 0x20; c < 0x10000; ++c)
        if (!QChar::isSurrogate(c) && c != U'€' && toAnsiCodePage(QString(QChar(c))) != "?")
            all.append(QChar(c));
    QTest::newRow("all of code page 936") << all << toAnsiCodePage(all);
}

void TestExport::scripts()
{
    QFETCH(QString, hosts);
    QFETCH(QByteArray, bytes);
    const HostListExport done = ::exportHostList(root->path(), u"site"_qs, hosts + u"\r\n"_qs);
    QFile list(done.path);
    QVERIFY(done.ok && list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(), bytes + "\r\n\r\n");
}

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
