// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/LinkImport.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

QByteArray utf16(QStringConverter::Encoding encoding, const QString& text)
{
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
}

// An export of over 4 MiB in the bytes `encode` gives: `head`, then lines of a link and a run of
// `character`, each run as long as it must be for no multiple of 4096 to fall between two. Line
// starts keep one place against the character, so that every multiple of 4096 falls inside one:
// whatever power of two from 4 KiB the reader reads in, its pieces meet inside characters.
// `links` gets each link once, in order.
template <typename Encode>
QByteArray straddling(QByteArray head, const QString& character, Encode encode, QStringList& links)
{
    const QByteArray prefix = encode(u"http://k.test/"_qs), c = encode(character),
                     end = encode(u"\r\n"_qs);
    while (head.size() < (1 << 22) + 4096) {
        head += prefix;
        qsizetype n = 0;
        for (qsizetype at = head.size();
             n < 50 || at % 4096 == 0 || at / 4096 != (at + end.size() + prefix.size()) / 4096;
             at = head.size())
            head += c, ++n;
        head += end;
        if (const QString link = u"http://k.test/"_qs + character.repeated(n);
            !links.contains(link))
            links.append(link);
    }
    return head;
}

// `links` links from `first` on, of `hosts` hosts in turn, each a line of `line` (%1 the link).
QByteArray numbered(const char* line, int first, int links, int hosts = 3000)
{
    QByteArray bytes;
    for (int k = first; k < first + links; ++k)
        bytes +=
            QByteArray(line).replace("%1", QByteArray("http://h" + QByteArray::number(k % hosts) +
                                                      ".test/" + QByteArray::number(k)));
    return bytes;
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void host_data();
    void host();
    void import_data();
    void import();
    void endless_data();
    void endless();

private:
    QStringList write(const QByteArrayList& files); // in a new `dir`, named 0, 1, ...
    std::unique_ptr<QTemporaryDir> dir;
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
    // "host: link link; host=count: link[anchor|target|rel]", the count where it is not the links'
    QTest::addColumn<QString>("tally");
    QTest::addColumn<QString>("problems"); // "index reason; index reason"
    QTest::addColumn<QString>("found");    // where hosts take turns: every link in order
    QTest::newRow("console latest links, UTF-8 BOM, CRLF")
        << QByteArrayList{"\xEF\xBB\xBFLinking page,Last crawled\r\nhttps://Blog.Alpha.test/"
                          "post,2026-11-02\r\nhttp://alpha.test/,2026-11-01\r\n"}
        << u"blog.alpha.test: https://Blog.Alpha.test/post; alpha.test: http://alpha.test/"_qs
        << QString() << QString();
    QTest::newRow("webmaster backlinks, UTF-16LE, tabs")
        << QByteArrayList{utf16(QStringConverter::Utf16LE,
                                u"Target Url\tSource Url\tAnchor Text\r\nhttp://own.test/\t"
                                u"http://beta.test/a\tb\u00e9ta\r\n"_qs)}
        << u"beta.test: http://beta.test/a[b\u00e9ta|http://own.test/|]"_qs << QString()
        << QString();
    QTest::newRow("suite referring pages, UTF-16BE, semicolons")
        << QByteArrayList{utf16(QStringConverter::Utf16BE,
                                u"Referring page title;Referring page URL;Target URL;Anchor\n"
                                u"T;https://c.test/1;https://own.test/;a\n"_qs)}
        << u"c.test: https://c.test/1[a|https://own.test/|]"_qs << QString() << QString();
    QTest::newRow("suite backlinks, quoted")
        << QByteArrayList{"\"Page ascore\",\"Source title\",\"Source url\",\"Target url\"\n"
                          "\"12\",\"Say \"\"hi\"\", http://no.test/\",\"https://g.test/x,y\","
                          "\"https://own.test/\"\n3,\"two\nlines\",http://g.test/z,http://"
                          "own.test/"}
        << u"g.test: https://g.test/x,y[|https://own.test/|] http://g.test/z[|http://own.test/|]"_qs
        << QString() << QString();
    QTest::newRow("suite backlinks, UTF-16LE, tabs, nofollow flag")
        << QByteArrayList{utf16(
               QStringConverter::Utf16LE,
               u"Referring page URL\tAnchor\tNofollow\tTarget URL\tFirst seen\r\n"
               u"https://a.test/1\tBlue widget\tfalse\thttps://own.test/\t2026-01-02\r\n"
               u"https://a.test/2\t\tTRUE\thttps://own.test/b\t2026-02-03\r\n"_qs)}
        << u"a.test: https://a.test/1[Blue widget|https://own.test/|] "
           u"https://a.test/2[|https://own.test/b|nofollow]"_qs
        << QString() << QString();
    QTest::newRow("suite referring domains, semicolons")
        << QByteArrayList{"Domain;Domain rating;Links to target;First seen\nBBB.test;51;1,240;"
                          "2024-05-06\nu@ccc.test:8080;3;;2025-01-01\nnot a domain;1;5;x\n"}
        << u"bbb.test=1240: ; ccc.test=1: "_qs << QString() << QString();
    QTest::newRow("console top linking sites beside latest links")
        << QByteArrayList{"\xEF\xBB\xBFSite,Linking pages,Target pages\r\nbbb.test,\"1,240\",12\r\n"
                          "ccc.test,1,1\r\n",
                          "Linking page,Last crawled\r\nhttps://ccc.test/a,2026-11-02\r\n"
                          "https://ccc.test/b,2026-11-01\r\nhttps://ddd.test/,2026-10-01\r\n"}
        << u"bbb.test=1240: ; ccc.test: https://ccc.test/a https://ccc.test/b; ddd.test: "
           u"https://ddd.test/"_qs
        << QString() << QString();
    // Only the site's own pages, with the console's names, with names of another language beside
    // counts, and beside an anchor; a list of one site's pages beside a number is still read.
    const QString own = u"它列出的是本站自己的网页(被链接的页面),不是链接到本站的网页。"_qs;
    QTest::newRow("the site's own pages")
        << QByteArrayList{"Target page,Incoming links,Linking sites\r\nhttps://own.test/,\"2,100\","
                          "80\r\n" +
                              QByteArray("https://own.test/a,340,25\r\n").repeated(70),
                          "热门网页,外部链接,链接来源\nhttps://own.test/,\"2,100\",80\nhttps://"
                          "own.test/a,3,2\n",
                          "Target URL,Anchor\nhttps://own.test/,x\nhttps://own.test/b,y\n",
                          "id,page\n1,https://own.test/\n2,https://own.test/a\n3,https://own.test/"
                          "b\n"}
        << u"own.test: https://own.test/ https://own.test/a https://own.test/b"_qs
        << u"0 %1; 1 %1; 2 %1"_qs.arg(own) << QString();
    QTest::newRow("referring domains: names, counts, no header")
        << QByteArrayList{"Referring domain\tBacklinks\nBBB.test\t1 240 "
                          "000\nu@Shop.test:8080\t1,24\n"
                          "bbb.test./\t0\nggg.test\t0\n한국.kr\t2\nccc.test\t7\nhttp://x.test/"
                          "\t5\n10.0.0.1\t5\n"
                          "localhost\t5\nb.test:x\t5\n",
                          "Domain ascore,Domain,Backlinks,IP,Country,First seen,Last "
                          "seen\n35,ddd.test,"
                          "17,10.0.0.1,de,2025-03-01,2026-11-01\n",
                          "eee.test\nfff.test:8080\n"}
        << u"bbb.test=1240000: ; shop.test=1: ; ggg.test=1: ; 한국.kr=2: ; ccc.test=7: ; "
           u"ddd.test=17: ; "
           u"eee.test=1: ; fff.test=1: "_qs
        << QString() << QString();
    QTest::newRow("rel as words, as flags, beside a domain")
        << QByteArrayList{"source_url,rel\nhttps://r.test/1, ugc nofollow \n",
                          "Source URL,Dofollow\nhttps://r.test/2,FALSE\nhttps://r.test/3,true\n",
                          "Source url,Target url,Anchor,Nofollow,Domain\nhttps://r.test/4,"
                          "https://own.test/,hi,true,r.test\n"}
        << u"r.test: https://r.test/1[||ugc nofollow] https://r.test/2[||nofollow] "
           u"https://r.test/3[||] https://r.test/4[hi|https://own.test/|nofollow]"_qs
        << QString() << QString();
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
        << u"z.test: http://z.test/1[\"open||] http://z.test/2[x||]"_qs << QString() << QString();
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
        << u"0 "_qs + QString::fromLocal8Bit(std::strerror(ENOENT)) + // the system's words
               u"; 2 它是文件夹,不是文件。; 3 它不是文本文件。; 4 其中没有网址。; 5 其中没有网址。"_qs
        << u"http://a.test/ http://b.test/"_qs;
    auto utf8 = [](const QString& t) { return t.toUtf8(); };
    auto gb = [](const QString& t) { return t == u"中" ? QByteArray("\xD6\xD0") : t.toLatin1(); };
    auto utf16le = [](const QString& t) { return utf16(QStringConverter::Utf16LE, t).mid(2); };
    QStringList straddled; // every link written, in order
    QTest::newRow("pieces meet inside characters: UTF-8, GB18030, UTF-16LE")
        << QByteArrayList{straddling({}, u"😀"_qs, utf8, straddled),
                          straddling("#\r\n", u"中"_qs, gb, straddled),
                          straddling("\xFF\xFE", u"😂"_qs, utf16le, straddled)}
        << u"k.test: "_qs + straddled.join(u' ') << QString() << QString();
    // Thousands of hosts met again and again, and links met again late; then a second file of
    // another layout, column and encoding.
    const QByteArray crawled =
        "Linking page,Last crawled\n" + numbered("%1,2026-11-02\n", 0, 30000);
    QTest::newRow("links met again late")
        << QByteArrayList{crawled + numbered("%1,2026-11-03\n", 0, 1000)}
        << u"3000 hosts, 30000 links"_qs << QString() << QString();
    QTest::newRow("a second file of another layout")
        << QByteArrayList{crawled, utf16(QStringConverter::Utf16LE,
                                         QString::fromLatin1(
                                             "Target URL\tSource URL\r\n" +
                                             numbered("http://own.test/\t%1\r\n", 29000, 2000)))}
        << u"3000 hosts, 31000 links"_qs << QString() << QString();
}

QStringList TestImport::write(const QByteArrayList& files)
{
    dir = std::make_unique<QTemporaryDir>();
    QStringList paths;
    for (const QByteArray& bytes : files) {
        paths.append(dir->filePath(QString::number(paths.size())));
        QFile file(paths.last());
        if (bytes == "<folder>")
            QDir(dir->path()).mkdir(paths.last());
        else if (bytes != "<missing>" && file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    return paths;
}

void TestImport::import()
{
    QFETCH(QByteArrayList, files);
    const QStringList paths = write(files);
    qint64 last = -1;
    const ImportResult result = importLinkExports(paths, [&](qint64 done, qint64 total) {
        QVERIFY(done >= last && done <= total);
        last = done;
    });
    QStringList hosts, reasons;
    const HostTally& tally = result.tally;
    for (qsizetype h = 0; h < tally.hostCount(); ++h) {
        QStringList links = tally.links(h);
        for (qsizetype i = 0; i < links.size() && tally.hasFields(); ++i)
            links[i] += u'[' + tally.field(h, i, HostTally::Field::Anchor) + u'|' +
                        tally.field(h, i, HostTally::Field::Target) + u'|' +
                        tally.field(h, i, HostTally::Field::Rel) + u']';
        const qint64 count = tally.count(h);
        hosts.append(tally.host(h) +
                     (count == links.size() ? u""_qs : u'=' + QString::number(count)) + u": "_qs +
                     links.join(u' '));
    }
    for (const ImportProblem& problem : result.problems)
        reasons.append(QString::number(paths.indexOf(problem.file)) + u' ' + problem.reason);
    if (hosts.size() > 100) // an export at scale: how many of each
        hosts = {u"%1 hosts, %2 links"_qs.arg(hosts.size()).arg(result.tally.linkCount())};
    QTEST(hosts.join(u"; "_qs), "tally");
    QTEST(reasons.join(u"; "_qs), "problems");
    QFETCH(QString, found);
    // Every link under one name: the order found across all hosts.
    const HostTally one = result.tally.grouped([](const QString&) { return u"all"_qs; });
    if (!found.isEmpty())
        QCOMPARE(one.links(0).join(u' '), found);
}

// Files that never end: a pipe with no writer, a file that grows while read, an import the user
// cancels. Each ends with what the import had when it began, or with nothing.
void TestImport::endless_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("tally");
    QTest::addColumn<QString>("problems");
    QTest::newRow("pipe") << u"pipe"_qs << QString() << u"它是管道或套接字,不是普通文件。"_qs;
    QTest::newRow("device") << u"/dev/zero"_qs << QString() << u"它是设备,不是文本文件。"_qs;
    QTest::newRow("growing") << u"growing"_qs << u"a.test 3"_qs << QString();
    QTest::newRow("cancelled") << u"cancelled"_qs << QString() << QString();
}

void TestImport::endless()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath(u"export.csv"_qs);
    QFile file(path);
    if (kind == u"pipe")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind.startsWith(u'/'))
        path = kind;
    else
        QVERIFY(file.open(QIODevice::WriteOnly) &&
                file.write("http://a.test/1\nhttp://a.test/2\n" + QByteArray(3 << 20, ' ') +
                           "\nhttp://a.test/3\n") > 0 &&
                file.flush());
    // Each piece read, the file grows by as much again, and more, for as long as it is read.
    int pieces = 0;
    const ImportResult result = importLinkExports(
        {path},
        [&](qint64, qint64) {
            if (kind == u"growing" && ++pieces < 64)
                file.write(QByteArray(2 << 20, ' ') + "\nhttp://b.test/grown\n");
            file.flush();
        },
        [&] { return kind == u"cancelled" && pieces++ > 0; });
    QStringList hosts, reasons;
    for (qsizetype h = 0; h < result.tally.hostCount(); ++h)
        hosts.append(result.tally.host(h) + u' ' + QString::number(result.tally.linkCount(h)));
    for (const ImportProblem& problem : result.problems)
        reasons.append(problem.reason);
    if (hosts.size() > 100) // an export at scale: how many of each
        hosts = {u"%1 hosts, %2 links"_qs.arg(hosts.size()).arg(result.tally.linkCount())};
    QTEST(hosts.join(u"; "_qs), "tally");
    QTEST(reasons.join(u"; "_qs), "problems");
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
