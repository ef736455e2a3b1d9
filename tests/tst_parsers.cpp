// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What the parsers of outside input read; that none crashes or hangs is for fuzz/ to show.
#include "analysis/ResultPage.h"
#include "http/BytesToText.h"
#include "platform/CodePage.h"
#include "platform/CommandLine.h"
#include "platform/Twips.h"
#include "publisher/Bulletin.h"
#include "publisher/SuggestionEncoding.h"

#include <QTest>

// A text, its bytes, a charset they decode to it in, its encoding in the suggestion form.
using Text = std::tuple<QString, QByteArray, QString, QString>;

class TestParsers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resultPage_data();
    void resultPage();
    void bulletin_data();
    void bulletin();
    void text_data();
    void text();
    void rounding();
    void commandLine_data();
    void commandLine();
};

void TestParsers::resultPage_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("read"); // the total, then "number link [host]" for each result
    QTest::newRow("hosts")
        << u"<h1>1. <a href=\"https://s/\"><h1>2. <a href=\"HTTP://A.b:80/x\">"
           u"<h1>3. <a href=\"http://b\"><h1>4. <a href=\"http://r?u=http://t/\">"_qs
        << u"none; 1 https://s/ []; 2 HTTP://A.b:80/x [A.b:80]; "
           u"3 http://b [A.b:80]; 4 http://r?u=http://t/ [r?u=http:]"_qs;
    QTest::newRow("past 32 bits")
        << u"共 <strong>2147483648</strong> 条<h1>4294967297. <a href=\"http://a/\">"_qs
        << u"1000; 2147483647 http://a/ [a]"_qs;
    QTest::newRow("markup") << u"共 <strong>x 共 <STRONG>37</Strong> 条<h1>1.<a href=\"http://a/\">"
                               u"<h1>2. <a href=\"\"><h1>3. <a href=\"http://a/\"x\">"
                               u"<H1>4. <A HREF=\"http://b/&amp;\">"_qs
                            << u"37; 4 http://b/& [b]"_qs;
    QTest::newRow("references as a browser reads them, \"&copy=\" too")
        << u"<h1>5. <a href=\"http&#58;//c&#x2f;?t=&#x80;&amp;e=1&#0;&copy=2&notit;&lt;\">"_qs
        << u"none; 5 http://c/?t=€&e=1\uFFFD&copy=2&notit;< [c]"_qs;
}

void TestParsers::resultPage()
{
    QFETCH(QString, html);
    QFETCH(QString, read);
    const ResultPage page = parseResultPage(html);
    QString found = page.total ? QString::number(*page.total) : u"none"_qs;
    for (const ResultPage::Result& r : page.results)
        found += u"; %1 %2 [%3]"_qs.arg(r.number).arg(r.link).arg(r.host);
    QCOMPARE(found, read);
}

void TestParsers::bulletin_data()
{
    QTest::addColumn<QString>("read"); // of the text in the tag: "version news [caption>link]..."
    QTest::newRow("200912290{update}A[Q|Z]L1{Q|Z}B[Q|Z]L2") << u"200912290 news [A>L1] [B>L2]"_qs;
    QTest::newRow("7{update}") << u"7"_qs;
    QTest::newRow("7{update}A{update}") << u"7"_qs;
    QTest::newRow("7{update}A[Q|Z]1[Q|Z]x{Q|Z}B{Q|Z}{Q|Z}D[Q|Z]{Q|Z}E[Q|Z]5")
        << u"7 news [A>1] [B] [] [D>]"_qs;
    QTest::newRow("7{update} A [q|z]L{q|z} ") << u"7 news [ A [q|z]L{q|z} ]"_qs;
    QTest::newRow("x{update}A") << u"- news [A]"_qs;
    QTest::newRow("7{Update}") << u"-"_qs;
    QTest::newRow(" 7{update}") << u"-"_qs;
    QTest::newRow("2147483648{update}") << u"-"_qs;
    QTest::newRow("-5{update}") << u"-5"_qs;
}

void TestParsers::bulletin()
{
    QFETCH(QString, read);
    const Bulletin bulletin = parseBulletin(QString::fromUtf8(QTest::currentDataTag()));
    QString found = bulletin.version ? QString::number(*bulletin.version) : u"-"_qs;
    found += bulletin.hasNews ? u" news"_qs : QString();
    for (const NewsItem& item : bulletin.items)
        found += u" ["_qs + item.caption + (item.link ? u'>' + *item.link : QString()) + u']';
    QCOMPARE(found, read);
}

void TestParsers::text_data()
{
    QTest::addColumn<Text>("t");
    QTest::newRow("ASCII") << Text{u"A-z_0.9*@ !+%/~&=?#\r\n"_qs, "A-z_0.9*@ !+%/~&=?#\r\n",
                                   u"utf-8"_qs, u"A-z_0.9*@+%21%2B%25%2F%7E%26%3D%3F%23%0D%0A"_qs};
    QTest::newRow("GB2312 is CP936")
        << Text{u"中é丂"_qs, "\xD6\xD0\xA8\xA6\x81\x40", u"Gb2312"_qs, u"%D6%D0%A8%A6%81%40"_qs};
    QTest::newRow("long") << Text{QString(20'000, u'中') + u'a',
                                  QByteArray("\xD6\xD0").repeated(20'000) + 'a', u"gb2312"_qs,
                                  u"%D6%D0"_qs.repeated(20'000) + u'a'};
    // Only one way: an empty charset or form skips that way.
    QTest::newRow("outside CP936") << Text{u"กa😀"_qs, "?a??", {}, u"%3Fa%3F%3F"_qs};
    QTest::newRow("bad GB2312") << Text{u"a\uFFFDb\uFFFD"_qs, "a\xFF\x62\xC4", u"gb2312"_qs, {}};
    QTest::newRow("unknown") << Text{u"你"_qs, "\xE4\xBD\xA0", u"no-such"_qs, {}};
    QTest::newRow("other") << Text{u"é"_qs, "\xE9", u"ISO-8859-1"_qs, {}};
}

void TestParsers::text()
{
    QFETCH(Text, t);
    const auto& [text, bytes, charset, form] = t;
    if (!charset.isEmpty())
        QCOMPARE(bytesToText(bytes, charset), text);
    if (!form.isEmpty()) {
        QCOMPARE(toAnsiCodePage(text), bytes);
        QCOMPARE(encodeSuggestion(text), form);
    }
}

void TestParsers::rounding()
{
    QCOMPARE(centredOrigin(QSize(15, 17), QSize(0, 0)), QPoint(8, 8)); // 7.5 and 8.5 to even
}

void TestParsers::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments"); // after the program's own name
    // The hosts and files to open the window with, or the exit code and the first line printed.
    QTest::addColumn<QString>("outcome");
    QTest::newRow("bare") << QStringList{} << u"x.test|p.test|"_qs;
    QTest::newRow("hosts and files")
        << u"a.csv --explorer 127.0.0.1:8700 --publisher=Pub.Example b.txt -- -d.csv"_qs.split(u' ')
        << u"127.0.0.1:8700|Pub.Example|a.csv,b.txt,-d.csv"_qs;
    QTest::newRow("database") << u"--database /h/1.sqlite a.csv --database=/h/2.sqlite"_qs.split(
                                     u' ')
                              << u"x.test|p.test|a.csv|/h/2.sqlite"_qs;
    for (const QString& host : {u"http://h"_qs, u"h:"_qs, u"h:0"_qs, u"h:65536"_qs, u"h/x"_qs,
                                u"u@h"_qs, u"h x"_qs, u""_qs})
        QTest::addRow("host \"%s\"", qPrintable(host))
            << QStringList{u"--explorer=ok.test"_qs, u"--explorer"_qs, host}
            << u"1 ostrel: --explorer takes HOST or HOST:PORT, not \""_qs + host + u'"';
}

void TestParsers::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, outcome);
    const CommandLine line =
        parseCommandLine(QStringList{u"ostrel"_qs} + arguments, {u"x.test"_qs, u"p.test"_qs});
    if (line.exitCode)
        QCOMPARE(QString::number(*line.exitCode) + u' ' + line.output.section(u'\n', 0, 0),
                 outcome);
    else
        QCOMPARE(line.endpoints.explorerHost + u'|' + line.endpoints.publisherHost + u'|' +
                     line.files.join(u',') +
                     (line.database.isEmpty() ? QString() : u'|' + line.database),
                 outcome);
}

QTEST_APPLESS_MAIN(TestParsers)
#include "tst_parsers.moc"
