// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/HostTally.h"
#include "analysis/SnapshotComparison.h"
#include "analysis/SnapshotSite.h"

#include <QTest>

namespace {

// "a.test:3 b.test:1"
std::vector<HostLinkCount> counts(const QString& text)
{
    std::vector<HostLinkCount> hosts;
    for (const QString& item : text.split(u' ', Qt::SkipEmptyParts))
        hosts.push_back({item.section(u':', 0, 0), item.section(u':', 1).toLongLong()});
    return hosts;
}

} // namespace

class TestComparison : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void compare_data();
    void compare();
    void csv();
    void site_data();
    void site();
    void target();
};

void TestComparison::compare_data()
{
    QTest::addColumn<QString>("older");
    QTest::addColumn<QString>("newer");
    QTest::addColumn<bool>("grouped"); // by the last two labels of each host
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("summary");
    QTest::newRow("groups, each by size of change")
        << "a.test:3 b.test:1 c.test:2 f.test:9"
        << "a.test:5 c.test:2 d.test:1 e.test:4 f.test:1" << false
        << "e.test 新增 0 4 +4; d.test 新增 0 1 +1; b.test 丢失 1 0 -1; f.test 保留 9 1 -8; "
           "a.test 保留 3 5 +2; c.test 保留 2 2 0"
        << "新增2个,丢失1个,保留3个";
    QTest::newRow("equal changes by name")
        << ""
        << "z.test:2 m.test:2 a.test:2" << false
        << "a.test 新增 0 2 +2; m.test 新增 0 2 +2; z.test 新增 0 2 +2"
        << "新增3个,丢失0个,保留0个";
    QTest::newRow("a host twice counts once") << "a.test:1 a.test:2"
                                              << "a.test:3" << false << "a.test 保留 3 3 0"
                                              << "新增0个,丢失0个,保留1个";
    QTest::newRow("grouped: hosts of one domain added up")
        << "www.a.test:2 b.a.test:1 x.b.test:1"
        << "c.a.test:4 y.c.test:1" << true
        << "c.test 新增 0 1 +1; b.test 丢失 1 0 -1; a.test 保留 3 4 +1"
        << "新增1个,丢失1个,保留1个";
    QTest::newRow("empty both") << ""
                                << "" << false << ""
                                << "新增0个,丢失0个,保留0个";
}

void TestComparison::compare()
{
    QFETCH(QString, older);
    QFETCH(QString, newer);
    QFETCH(bool, grouped);
    const auto domain = [](const QString& host) { return host.section(u'.', -2); };
    const SnapshotComparison result = grouped
                                          ? compareSnapshots(counts(older), counts(newer), domain)
                                          : compareSnapshots(counts(older), counts(newer));
    QStringList rows;
    for (const ComparisonRow& row : result.rows)
        rows.append(QStringList{row.name, changeName(row.change), QString::number(row.before),
                                QString::number(row.after), changeText(row)}
                        .join(u' '));
    QTEST(rows.join(u"; "_qs), "rows");
    QTEST(comparisonSummary(result), "summary");
}

void TestComparison::csv()
{
    const SnapshotComparison result =
        compareSnapshots(counts(u"b.test:2 \"q\",x.test:1"_qs), counts(u"b.test:1 中.test:3"_qs));
    QCOMPARE(comparisonCsv(result),
             QByteArray("\xEF\xBB\xBF"
                        "\xE5\x9F\x9F\xE5\x90\x8D,\xE7\x8A\xB6\xE6\x80\x81,\xE4\xB8\x8A\xE6\xAC"
                        "\xA1,\xE6\x9C\xAC\xE6\xAC\xA1,\xE5\x8F\x98\xE5\x8C\x96\r\n"
                        "\xE4\xB8\xAD.test,\xE6\x96\xB0\xE5\xA2\x9E,0,3,+3\r\n"
                        "\"\"\"q\"\",x.test\",\xE4\xB8\xA2\xE5\xA4\xB1,1,0,-1\r\n"
                        "b.test,\xE4\xBF\x9D\xE7\x95\x99,2,1,-1\r\n"));
}

void TestComparison::site_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("target"); // empty for a run
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("site");
    QTest::newRow("run") << " Www.Example.TEST " << QString() << QString() << "www.example.test";
    QTest::newRow("import, box wins") << "Shop.test"
                                      << "other.test"
                                      << "/t/a.csv"
                                      << "shop.test";
    QTest::newRow("import, target") << "  "
                                    << "mine.test"
                                    << "/t/a.csv"
                                    << "mine.test";
    QTest::newRow("import, file") << ""
                                  << ""
                                  << "/t/links.2026.csv"
                                  << "links.2026";
}

void TestComparison::site()
{
    QFETCH(QString, box);
    QFETCH(QString, target);
    QFETCH(QString, file);
    QTEST(file.isNull() ? runSite(box) : importSite(box, target, file), "site");
}

void TestComparison::target()
{
    HostTally tally;
    QCOMPARE(targetDomain(tally), QString());
    const qsizetype host = tally.addHost("a.test");
    for (const char* target : {"", "https://www.mine.co.uk/p", "http://x.other.test/",
                               "https://shop.mine.co.uk/", "not an address"})
        tally.addLink(host, "http://a.test/", {{}, target, {}});
    QCOMPARE(targetDomain(tally), u"mine.co.uk"_qs);
}

QTEST_APPLESS_MAIN(TestComparison)
#include "tst_comparison.moc"
