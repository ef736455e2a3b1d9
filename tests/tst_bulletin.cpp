#include "publisher/Bulletin.h"

#include <QTest>

// Items written as "caption -> link", or the caption alone for an item without a link.
static QStringList describe(const QList<NewsItem>& items)
{
    QStringList described;
    for (const NewsItem& item : items)
        described.append(item.link ? item.caption + u" -> "_qs + *item.link : item.caption);
    return described;
}

class TestBulletin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestBulletin::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hasVersion");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("hasNews");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("two items") << u"200912290{update}A[Q|Z]L1{Q|Z}B[Q|Z]L2"_qs << true << 200912290
                               << true << QStringList{u"A -> L1"_qs, u"B -> L2"_qs};
    QTest::newRow("version alone")
        << u"200912291"_qs << true << 200912291 << false << QStringList();
    QTest::newRow("two markers") << u"1{update}A[Q|Z]L1{update}B[Q|Z]L2"_qs << true << 1 << false
                                 << QStringList();
    QTest::newRow("empty news part")
        << u"200912290{update}"_qs << true << 200912290 << false << QStringList();
    QTest::newRow("extra field ignored")
        << u"7{update}A[Q|Z]L1[Q|Z]X"_qs << true << 7 << true << QStringList{u"A -> L1"_qs};
    QTest::newRow("more than four items")
        << u"7{update}A[Q|Z]1{Q|Z}B[Q|Z]2{Q|Z}C[Q|Z]3{Q|Z}D[Q|Z]4{Q|Z}E[Q|Z]5{Q|Z}F[Q|Z]6"_qs
        << true << 7 << true << QStringList{u"A -> 1"_qs, u"B -> 2"_qs, u"C -> 3"_qs, u"D -> 4"_qs};
    QTest::newRow("item without link") << u"7{update}A{Q|Z}B[Q|Z]L2"_qs << true << 7 << true
                                       << QStringList{u"A"_qs, u"B -> L2"_qs};
    QTest::newRow("empty items kept") << u"7{update}{Q|Z}A[Q|Z]L{Q|Z}{Q|Z}"_qs << true << 7 << true
                                      << QStringList{QString(), u"A -> L"_qs, QString(), QString()};
    QTest::newRow("nothing trimmed")
        << u"7{update} A [Q|Z] L \r\n"_qs << true << 7 << true << QStringList{u" A  ->  L \r\n"_qs};
    QTest::newRow("markers case-sensitive")
        << u"7{Update}A[q|z]L{q|z}B"_qs << false << 0 << false << QStringList();
    QTest::newRow("item marker case-sensitive")
        << u"7{update}A[q|z]L{q|z}B"_qs << true << 7 << true << QStringList{u"A[q|z]L{q|z}B"_qs};

    QTest::newRow("markers only") << u"{update}{Q|Z}[Q|Z]{Q|Z}[Q|Z][Q|Z]{Q|Z}"_qs << false << 0
                                  << true
                                  << QStringList{QString(), u" -> "_qs, u" -> "_qs, QString()};
    QTest::newRow("thousands of items") << u"7{update}"_qs + u"A[Q|Z]L{Q|Z}"_qs.repeated(5000)
                                        << true << 7 << true << QStringList(4, u"A -> L"_qs);
    QTest::newRow("huge caption") << u"7{update}"_qs + QString(8 << 20, u'x') + u"[Q|Z]L"_qs << true
                                  << 7 << true << QStringList{QString(8 << 20, u'x') + u" -> L"_qs};

    // Only a whole decimal number that fits in 32 bits is a version.
    QTest::newRow("empty reply") << QString() << false << 0 << false << QStringList();
    QTest::newRow("no number") << u"new{update}A[Q|Z]L"_qs << false << 0 << true
                               << QStringList{u"A -> L"_qs};
    QTest::newRow("space before number")
        << u" 200912291{update}"_qs << false << 0 << false << QStringList();
    QTest::newRow("too large") << u"2147483648{update}"_qs << false << 0 << false << QStringList();
    QTest::newRow("negative") << u"-5{update}"_qs << true << -5 << false << QStringList();
}

void TestBulletin::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, hasVersion);
    QFETCH(int, version);
    QFETCH(bool, hasNews);
    QFETCH(QStringList, items);

    const Bulletin bulletin = parseBulletin(text);
    QCOMPARE(bulletin.version.has_value(), hasVersion);
    if (hasVersion)
        QCOMPARE(*bulletin.version, version);
    QCOMPARE(bulletin.hasNews, hasNews);
    QCOMPARE(describe(bulletin.items), items);
}

QTEST_APPLESS_MAIN(TestBulletin)
#include "tst_bulletin.moc"
