// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/AnalysisRun.h"
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
    void endRows();
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
    QVERIFY(!run.running());
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
    QTest::newRow("the last page while held")
        << u"60"_qs << u"page hold page resume"_qs << u"b=1 b=51 . end -"_qs;
    QTest::newRow("held at b = 951")
        << u"5000"_qs << u"page "_qs.repeated(18) + u"hold page resume page"_qs
        << u"b=1 b=51 b=101 b=151 b=201 b=251 b=301 b=351 b=401 b=451 b=501 b=551 b=601 b=651 "
           "b=701 b=751 b=801 b=851 b=901 . - b=951 end"_qs;
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
        if (event == u"resume")
            step = run.resume();
        else if (event == u"fail")
            step = run.requestFailed(u"timeout"_qs);
        else
            step = run.pageArrived(page(total, asked, std::min(asked + 49, total.toInt())));
        if (step.next == RunStep::Next::RequestPage)
            asked = step.page;
        seen.append(trace(step));
    }
    QCOMPARE(seen.join(u' '), steps);
}

void TestRun::endRows()
{
    // Hosts keep the order met and their exact case; a TAB in a host stays in its cell.
    const QString html = QString::fromUtf8(resultPage(
        u"5"_qs, {u"http://b.example/1"_qs, u"http://A.example/2"_qs, u"http://b.example/3"_qs,
                  u"http://a.example/4"_qs, u"http://t\tab.example/5"_qs}));
    AnalysisRun run;
    run.start();
    run.pageArrived(html);
    run.start(); // a second run starts from nothing
    const RunStep step = run.pageArrived(html);
    QCOMPARE(step.next, RunStep::Next::End);
    const QList<QStringList> rows{{u"1"_qs, u"b.example"_qs, u"2个"_qs},
                                  {u"2"_qs, u"A.example"_qs, u"1个"_qs},
                                  {u"3"_qs, u"a.example"_qs, u"1个"_qs},
                                  {u"4"_qs, u"t\tab.example"_qs, u"1个"_qs}};
    QCOMPARE(step.rows, rows);
    QCOMPARE(run.domainStr, u"b.example\r\nA.example\r\na.example\r\nt\tab.example\r\n"_qs);
    QCOMPARE(*run.dict.links(u"b.example"_qs),
             QStringList({u"http://b.example/1"_qs, u"http://b.example/3"_qs}));
}

QTEST_GUILESS_MAIN(TestRun)
#include "tst_run.moc"
