// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/LinkImport.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray utf16(QStringConverter::Encoding encoding, const QString& text)
{
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
}

// Spaces up to where the reader's 1 MiB pieces meet, so what follows straddles two of them.
QByteArray padding(qsizetype size)
{
    return QByteArray(size, ' ');
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void host_data();
    void host();
    void import_data();
    void import();
};

void TestImport::host_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("host");
    QTest::newRow("port and case") << u"http://Shop.Gamma.test:8080/x"_qs << u"shop.gamma.test"_qs;
    QTest::newRow("user") << u"https://u:p@w@A.test/p@q"_qs << u"a.test"_qs;
    QTest::newRow("any scheme") << u"FTP://files.test?x"_qs << u"files.test"_qs;
    QTest::newRow("backslash") << u"http://b.test\\c.test/"_qs << u"b.test"_qs;
    QTest::newRow("ipv6") << u"http://[::1]:80/"_qs << u"::1"_qs;
    QTest::newRow("escaped") << u"http://%41.test/"_qs << u"a.test"_qs;
    QTest::newRow("bad port") << u"http://a.test:x/"_qs << QString();
    QTest::newRow("no host") << u"mailto:a@b.test"_qs << QString();
    QTest::newRow("text") << u"see http://a.test/"_qs << QString();
}

void TestImport::host()
{
    QFETCH(QString, address);
    QFETCH(QString, host);
    QCOMPARE(importedLinkHost(address), host);
}

void TestImport::import_data()
{
    QTest::addColumn<QByteArrayList>("files"); // the bytes of each, or "<missing>", "<folder>"
    QTest::addColumn<QString>("tally");        // "host: link link; host: link"
    QTest::addColumn<QString>("problems");     // "index reason; index reason"
    QTest::addColumn<QString>("found");        // where hosts take turns: every link in order
    QTest::newRow("console latest links, UTF-8 BOM, CRLF")
        << QByteArrayList{"\xEF\xBB\xBFLinking page,Last crawled\r\nhttps://Blog.Alpha.test/"
                          "post,2026-11-02\r\nhttp://alpha.test/,2026-11-01\r\n"}
        << u"blog.alpha.test: https://Blog.Alpha.test/post; alpha.test: http://alpha.test/"_qs
        << QString() << QString();
    QTest::newRow("webmaster backlinks, UTF-16LE, tabs")
        << QByteArrayList{utf16(QStringConverter::Utf16LE,
                                u"Target Url\tSource Url\tAnchor Text\r\nhttp://own.test/\t"
                                u"http://beta.test/a\tb\u00e9ta\r\n"_qs)}
        << u"beta.test: http://beta.test/a"_qs << QString() << QString();
    QTest::newRow("suite referring pages, UTF-16BE, semicolons")
        << QByteArrayList{utf16(QStringConverter::Utf16BE,
                                u"Referring page title;Referring page URL;Target URL;Anchor\n"
                                u"T;https://c.test/1;https://own.test/;a\n"_qs)}
        << u"c.test: https://c.test/1"_qs << QString() << QString();
    QTest::newRow("suite backlinks, quoted")
        << QByteArrayList{"\"Page ascore\",\"Source title\",\"Source url\",\"Target url\"\n"
                          "\"12\",\"Say \"\"hi\"\", http://no.test/\",\"https://g.test/x,y\","
                          "\"https://own.test/\"\n3,\"two\nlines\",http://g.test/z,http://"
                          "own.test/"}
        << u"g.test: https://g.test/x,y http://g.test/z"_qs << QString() << QString();
    QTest::newRow("unknown header, GB18030")
        << QByteArrayList{"\xB1\xEA\xCC\xE2,\xB5\xD8\xD6\xB7\nx,http://d.test/\xD2\xB3\xC3\xE6\n"
                          "y,http://d.test/\n"}
        << u"d.test: http://d.test/页面 http://d.test/"_qs << QString() << QString();
    QTest::newRow("most cells are addresses")
        << QByteArrayList{"id,page,note\n1,http://x.test/a,http://y.test/\n2,http://x.test/b,\n"
                          "3,http://x.test/c,\n"}
        << u"x.test: http://x.test/a http://x.test/b http://x.test/c"_qs << QString() << QString();
    QTest::newRow("unclosed quote")
        << QByteArrayList{"Source url,Anchor\nhttp://z.test/1,\"open\nhttp://z.test/2,x\n"}
        << u"z.test: http://z.test/1 http://z.test/2"_qs << QString() << QString();
    QTest::newRow("plain list, duplicates")
        << QByteArrayList{"http://a.test/1\n\nnotes\n  http://a.test/1 \n ftp://f.test/x \n"
                          "HTTP://U:p@A.test:81/2",
                          "http://a.test/2\nhttp://a.test/1\n"}
        << u"a.test: http://a.test/1 HTTP://U:p@A.test:81/2 http://a.test/2"_qs << QString()
        << QString();
    QTest::newRow("other kinds of address")
        << QByteArrayList{"Source URL\nsmb://evil.test/share/run.desktop\nfile://localhost/etc/"
                          "passwd\nhttpx://h.test/\nHttpS://s.test/\nssh://root@evil.test/\n",
                          "file:///etc/passwd\nsmb://evil.test/x\n"}
        << u"s.test: HttpS://s.test/"_qs << u"1 其中的地址都不是网页(http、https)。"_qs
        << QString();
    QTest::newRow("bad files")
        << QByteArrayList{"<missing>",
                          "http://a.test/\n",
                          "<folder>",
                          "\x89PNG\r\n\x1a\n\0\0"_qba,
                          "",
                          "just words\n",
                          "http://b.test/\n"}
        << u"a.test: http://a.test/; b.test: http://b.test/"_qs
        << u"0 No such file or directory; 2 它是文件夹,不是文件。; 3 它不是文本文件。; "
           u"4 其中没有网址。; 5 其中没有网址。"_qs
        << u"http://a.test/ http://b.test/"_qs;
    QTest::newRow("pieces meet in a character, UTF-8")
        << QByteArrayList{padding(1048559) + "\r\nhttp://k.test/页\r\n"}
        << u"k.test: http://k.test/页"_qs << QString() << QString();
    QTest::newRow("pieces meet in a character, GB18030")
        << QByteArrayList{padding(1048558) + "\nhttp://k.test/\xD2\xB3\xC3\xE6\n"}
        << u"k.test: http://k.test/页面"_qs << QString() << QString();
}

void TestImport::import()
{
    QFETCH(QByteArrayList, files);
    QTemporaryDir dir;
    QStringList paths;
    for (const QByteArray& bytes : files) {
        paths.append(dir.filePath(QString::number(paths.size())));
        QFile file(paths.last());
        if (bytes == "<folder>")
            QVERIFY(QDir(dir.path()).mkdir(paths.last()));
        else if (bytes != "<missing>")
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    qint64 last = -1;
    const ImportResult result = importLinkExports(paths, [&](qint64 done, qint64 total) {
        QVERIFY(done >= last && done <= total);
        last = done;
    });
    QStringList hosts, reasons;
    for (qsizetype h = 0; h < result.tally.hostCount(); ++h)
        hosts.append(result.tally.host(h) + u": "_qs + result.tally.links(h).join(u' '));
    for (const ImportProblem& problem : result.problems)
        reasons.append(QString::number(paths.indexOf(problem.file)) + u' ' + problem.reason);
    QTEST(hosts.join(u"; "_qs), "tally");
    QTEST(reasons.join(u"; "_qs), "problems");
    QFETCH(QString, found);
    // Every link under one name: the order found across all hosts.
    const HostTally one = result.tally.grouped([](const QString&) { return u"all"_qs; });
    QStringList inOrder;
    for (qsizetype all = 0; all < one.hostCount(); ++all)
        inOrder += one.links(all);
    if (!found.isEmpty())
        QCOMPARE(inOrder.join(u' '), found);
    QCOMPARE(result.tally.linkCount(), inOrder.size());
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
