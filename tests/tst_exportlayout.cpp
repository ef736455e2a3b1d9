// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/ExportLayout.h"

#include <QTest>

class TestExportLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layout_data();
    void layout();
    void cells_data();
    void cells();
};

// The first rows of exports (the common ones are read whole in tst_import), cells split at '|';
// the columns found as "kind link target anchor rel count", rel with the way it says nofollow
// (w words, n a nofollow flag, f a follow flag).
void TestExportLayout::layout_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("found");
    QTest::newRow("top target pages, other language")
        << u"热门网页|外部链接|链接来源\nhttps://own.test/|2,100|80\nhttps://own.test/a|340|25"_qs
        << u"targets 0 - - - -"_qs;
    QTest::newRow("target and anchor only")
        << u"Target URL|Anchor\nhttps://own.test/|x\nhttps://own.test/b|y"_qs
        << u"targets 0 - 1 - -"_qs;
    QTest::newRow("one site's pages beside one number")
        << u"id|page\n1|https://own.test/\n2|https://own.test/a\n3|https://own.test/b"_qs
        << u"pages 1 - - - -"_qs;
    QTest::newRow("suite backlinks, source domain beside")
        << u"Page ascore|Source title|Source url|Target url|Anchor|External links|Internal links|"
           u"Nofollow|Sponsored|Ugc|Domain\n12|T|https://a.test/x|https://own.test/|hi|3|9|true|"
           u"false|false|a.test"_qs
        << u"pages 2 3 4 7n -"_qs;
    QTest::newRow("rel words, anchor text")
        << u"source_url|target_url|anchor_text|rel\nhttps://a.test/|https://own.test/|x|"
           u"nofollow ugc"_qs
        << u"pages 0 1 2 3w -"_qs;
    QTest::newRow("dofollow flag")
        << u"Source URL|Dofollow\nhttps://a.test/|TRUE"_qs << u"pages 0 - - 1f -"_qs;
    QTest::newRow("suite referring domains, count after")
        << u"Domain ascore|Domain|Backlinks|IP|Country|First seen|Last seen\n"
           u"35|bbb.test|17|10.0.0.1|de|2025-03-01|2026-11-01"_qs
        << u"domains 1 - - - 2"_qs;
    QTest::newRow("bare domains, no header")
        << u"bbb.test\nccc.test:8080"_qs << u"domains 0 - - - -"_qs;
    QTest::newRow("words only") << u"just|words"_qs << u"pages 0 - - - -"_qs;
}

void TestExportLayout::layout()
{
    QFETCH(QString, rows);
    QList<QStringList> sample;
    for (const QString& row : rows.split(u'\n'))
        sample.append(row.split(u'|'));
    const ExportLayout l = recognizeLayout(sample);
    auto column = [](qsizetype c) { return c < 0 ? u"-"_qs : QString::number(c); };
    const QString kinds[] = {u"pages"_qs, u"domains"_qs, u"targets"_qs};
    const QString rel = l.rel < 0 ? u"-"_qs : column(l.rel) + u"wnf"_qs[int(l.relMeans)];
    QTEST(QStringList({kinds[int(l.kind)], column(l.link), column(l.target), column(l.anchor), rel,
                       column(l.count)})
              .join(u' '),
          "found");
}

// Cells as the reader meets them: a domain, its count, a rel.
void TestExportLayout::cells_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("nofollow"); // by words, nofollow flag, follow flag: "ynn"
    QTest::newRow("name") << u"BBB.test"_qs << u"bbb.test"_qs << 1LL << u"nnn"_qs;
    QTest::newRow("user, port") << u"u@Shop.test:8080"_qs << u"shop.test"_qs << 1LL << u"nnn"_qs;
    QTest::newRow("slash, dot") << u"bbb.test./"_qs << u"bbb.test"_qs << 1LL << u"nnn"_qs;
    QTest::newRow("address") << u"http://bbb.test/"_qs << QString() << 1LL << u"nnn"_qs;
    QTest::newRow("IP") << u"10.0.0.1"_qs << QString() << 1LL << u"nnn"_qs;
    QTest::newRow("one label") << u"localhost"_qs << QString() << 1LL << u"nnn"_qs;
    QTest::newRow("bad port") << u"b.test:x"_qs << QString() << 1LL << u"nnn"_qs;
    QTest::newRow("thousands") << u"1,240"_qs << QString() << 1240LL << u"nnn"_qs;
    QTest::newRow("thousands, spaces") << u" 1 240 000 "_qs << QString() << 1240000LL << u"nnn"_qs;
    QTest::newRow("not grouped") << u"1,24"_qs << QString() << 1LL << u"nnn"_qs;
    QTest::newRow("zero") << u"0"_qs << QString() << 1LL << u"nny"_qs;
    QTest::newRow("true") << u"TRUE"_qs << QString() << 1LL << u"nyn"_qs;
    QTest::newRow("false") << u"false"_qs << QString() << 1LL << u"nny"_qs;
    QTest::newRow("rel words") << u"ugc nofollow"_qs << QString() << 1LL << u"yyy"_qs;
    QTest::newRow("no-follow") << u"No-Follow"_qs << QString() << 1LL << u"yyy"_qs;
}

void TestExportLayout::cells()
{
    QFETCH(QString, cell);
    QTEST(bareDomain(QStringView(cell).trimmed()), "domain");
    QTEST(domainLinkCount(cell), "count");
    QString nofollow;
    for (auto means :
         {ExportLayout::Rel::Words, ExportLayout::Rel::Nofollow, ExportLayout::Rel::Follow})
        nofollow += isNofollow(means, cell) ? u'y' : u'n';
    QTEST(nofollow, "nofollow");
}

QTEST_GUILESS_MAIN(TestExportLayout)
#include "tst_exportlayout.moc"
