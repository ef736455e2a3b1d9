// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/DisavowFile.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QDate today(2026, 12, 7);
const QString dated = u"# Ostrel 2026-12-07 添加"_qs;

QString refusedLines(const QList<DisavowLine>& lines)
{
    QStringList numbers;
    for (const DisavowLine& line : lines)
        numbers.append(QString::number(line.number) + u':' + disavowProblemText(line.problem));
    return numbers.join(u'|');
}

} // namespace

class TestDisavow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void entries_data()
    {
        QTest::addColumn<QString>("name"); // a grid row's name, or a link
        QTest::addColumn<QString>("entry");
        QTest::newRow("host with port") << u"b.A.com:81"_qs << u"domain:b.a.com"_qs;
        QTest::newRow("user part") << u"me@x.example"_qs << u"domain:x.example"_qs;
        QTest::newRow("IDN in ASCII") << u"例子.中国"_qs << u"domain:xn--fsqu00a.xn--fiqs8s"_qs;
        QTest::newRow("bidi spoof") << u"\u202Emoc.elgoog"_qs << QString();
        QTest::newRow("line break") << u"a.com\ncurl x|sh"_qs << QString();
        QTest::newRow("IPv6") << u"[::1]:80"_qs << QString();
        QTest::newRow("link encoded") << u"http://例子.中国/a b?q=中"_qs
                                      << u"http://xn--fsqu00a.xn--fiqs8s/a%20b?q=%E4%B8%AD"_qs;
        QTest::newRow("link with CR LF") << u"http://a.com/x\r\ndomain:b.com"_qs << QString();
        QTest::newRow("not web") << u"ftp://a.com/x"_qs << QString();
    }
    void entries()
    {
        QFETCH(QString, name);
        QFETCH(QString, entry);
        QCOMPARE(name.contains(u"://") ? disavowUrlEntry(name) : disavowDomainEntry(name), entry);
    }

    void merge_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QStringList>("marks");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("notes"); // left out as too long | refused lines of the file
        const QString longUrl = u"http://a.com/"_qs + QString(2036, u'x'); // 2049 characters
        QTest::newRow("new file") << QString()
                                  << QStringList{u"domain:a.com"_qs, u"http://b.com/x"_qs}
                                  << dated + u"\ndomain:a.com\nhttp://b.com/x\n"_qs << u"|"_qs;
        QTest::newRow("lines kept, CR LF, no last break")
            << u"# mine\r\n\r\ndomain:old.com\r\n  http://x.com/p"_qs
            << QStringList{u"domain:new.com"_qs}
            << u"# mine\r\n\r\ndomain:old.com\r\n  http://x.com/p\r\n"_qs + dated +
                   u"\r\ndomain:new.com\r\n"_qs
            << u"|"_qs;
        QTest::newRow("there or covered")
            << u"DOMAIN:Example.com\nhttp://z.com/1\ndomain:例子.中国\n"_qs
            << QStringList{u"domain:example.com"_qs,
                           u"domain:www.example.com"_qs,
                           u"http://sub.example.com/p"_qs,
                           u"http://z.com/1"_qs,
                           u"domain:xn--fsqu00a.xn--fiqs8s"_qs,
                           u"http://z.com/2"_qs,
                           u"domain:notexample.com"_qs}
            << u"DOMAIN:Example.com\nhttp://z.com/1\ndomain:例子.中国\n"_qs + dated +
                   u"\nhttp://z.com/2\ndomain:notexample.com\n"_qs
            << u"|"_qs;
        QTest::newRow("covered by a new parent")
            << QString()
            << QStringList{u"domain:a.b.com"_qs, u"http://c.b.com/"_qs, u"domain:b.com"_qs,
                           u"domain:b.com"_qs}
            << dated + u"\ndomain:b.com\n"_qs << u"|"_qs;
        QTest::newRow("nothing new") << u"domain:a.com"_qs << QStringList{u"domain:a.com"_qs}
                                     << u"domain:a.com"_qs << u"|"_qs;
        QTest::newRow("refused lines kept, covering nothing")
            << u"domain: a.com\ndomain:b.com/x\ndomain:http://c.com\ndomain:*.d.com\n"
               u"url:http://e.com/\nhttp://f.com/"_qs +
                   QString(2036, u'x') + u"\n# ok\n"_qs
            << QStringList{u"domain:a.com"_qs, u"domain:b.com"_qs, longUrl}
            << u"domain: a.com\ndomain:b.com/x\ndomain:http://c.com\ndomain:*.d.com\n"
               u"url:http://e.com/\nhttp://f.com/"_qs +
                   QString(2036, u'x') + u"\n# ok\n"_qs + dated +
                   u"\ndomain:a.com\ndomain:b.com\n"_qs
            << longUrl + u"|1:domain: 后面不能有空格|2:domain: 后面只能是域名，不能带协议或路径|"
                         u"3:domain: 后面只能是域名，不能带协议或路径|4:domain: 后面不是域名|"
                         u"5:既不是网址、domain: 条目、注释，也不是空行|6:网址超过2048个字符"_qs;
    }
    void merge()
    {
        QFETCH(QString, existing);
        QFETCH(QStringList, marks);
        QFETCH(QString, written);
        QFETCH(QString, notes);
        const DisavowMerge merged = mergeDisavow(existing, marks, today);
        QCOMPARE(QString::fromUtf8(merged.bytes), written);
        QCOMPARE(merged.tooLong.join(u' ') + u'|' + refusedLines(merged.refused), notes);
        QCOMPARE(merged.linesOver + merged.bytesOver, 0);
    }

    void limits_data()
    {
        QTest::addColumn<int>("lines");     // of the existing file
        QTest::addColumn<int>("lineBytes"); // each, its LF included
        QTest::addColumn<int>("marks");     // domain:mN.com each
        QTest::addColumn<int>("linesOver");
        QTest::addColumn<int>("bytesOver");
        QTest::newRow("at the line limit") << 99997 << 2 << 2 << 0 << 0;
        QTest::newRow("lines over") << 99998 << 2 << 2 << 1 << 0;
        QTest::newRow("bytes over") << 20000 << 100 << 1 << 0 << 41;
        QTest::newRow("at the byte limit") << 20000 << 100 << 0 << 0 << 0;
    }
    void limits()
    {
        QFETCH(int, lines);
        QFETCH(int, lineBytes);
        QFETCH(int, marks);
        QFETCH(int, linesOver);
        QFETCH(int, bytesOver);
        QStringList marked;
        for (int i = 0; i < marks; ++i)
            marked.append(u"domain:m%1.com"_qs.arg(i)); // 14 bytes, and 27 the dated comment
        const DisavowMerge merged = mergeDisavow(
            QString(u'#' + QString(lineBytes - 2, u'x') + u'\n').repeated(lines), marked, today);
        QCOMPARE(merged.linesOver, linesOver);
        QCOMPARE(merged.bytesOver, bytesOver);
    }

    void files_data()
    {
        QTest::addColumn<QByteArray>("before"); // the file at the path, or "fifo" for a FIFO
        QTest::addColumn<QString>("how");       // "full": the disk fills; "link": the path links
        QTest::addColumn<QString>("read");      // what reading gives, or "!" and the reason
        QTest::newRow("BOM dropped") << QByteArray("\xEF\xBB\xBF# a\n") << QString() << u"# a\n"_qs;
        QTest::newRow("GBK") << QByteArray("# \xD6\xD0\n") << QString() << u"!不是 UTF-8 文本"_qs;
        QTest::newRow("FIFO") << QByteArray("fifo") << QString() << u"!不是普通文件"_qs;
        QTest::newRow("disk full") << QByteArray("# old\n") << u"full"_qs << u"# old\n"_qs;
        QTest::newRow("symbolic link")
            << QByteArray("# theirs\n") << u"link"_qs << u"# theirs\n"_qs;
    }
    void files()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, how);
        QFETCH(QString, read);
        QTemporaryDir folder;
        const QString path = folder.filePath(u"site-disavow.txt"_qs);
        QFile file(how == u"link" ? folder.filePath(u"theirs"_qs) : path);
        if (before == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size() &&
                    (how != u"link" || file.link(path)));
        file.close();
        const DisavowIo got = readDisavowFile(path);
        QCOMPARE(got.ok ? got.text : u'!' + got.reason, read);
        if (before == "fifo")
            return;

        std::signal(SIGXFSZ, SIG_IGN); // past the file size limit a write fails instead
        rlimit unlimited{};
        getrlimit(RLIMIT_FSIZE, &unlimited);
        const rlimit limited{how == u"full" ? 4096 : unlimited.rlim_cur, unlimited.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        const QByteArray bytes = QByteArray("domain:new.com\n").repeated(1000);
        const DisavowIo written = writeDisavowFile(path, bytes);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        // Written whole, or the earlier file and what a link points to left as they were.
        QCOMPARE(written.ok, how.isEmpty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), written.ok ? bytes : before);
    }
};

QTEST_GUILESS_MAIN(TestDisavow)
#include "tst_disavow.moc"
