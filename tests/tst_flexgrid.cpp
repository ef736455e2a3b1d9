#include "ui/main/FlexGrid.h"

#include <QHeaderView>
#include <QTest>

class TestFlexGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixedRowAndColumnAreHeaders();
    void addItemSplitsAtTabs_data();
    void addItemSplitsAtTabs();
    void clearKeepsShape();
    void setRows();
    void sortGenericDescending_data();
    void sortGenericDescending();
    void topRowScrollsWithinRange();
    void manyRowsReachTheViewInOneBatch();
    void longCellShownInPart_data();
    void longCellShownInPart();
};

void TestFlexGrid::fixedRowAndColumnAreHeaders()
{
    FlexGrid grid(2, 2);
    grid.setTextMatrix(0, 1, u"双击可以打开网页"_qs);
    grid.setTextMatrix(1, 0, u"1"_qs);
    grid.setTextMatrix(1, 1, u"http://a.example/"_qs);
    QAbstractItemModel* model = grid.model();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->columnCount(), 1);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), u"双击可以打开网页"_qs);
    QCOMPARE(model->headerData(0, Qt::Vertical).toString(), u"1"_qs);
    QCOMPARE(model->index(0, 0).data().toString(), u"http://a.example/"_qs);
    QCOMPARE(grid.TextMatrix(1, 1), u"http://a.example/"_qs);
    QCOMPARE(grid.TextMatrix(5, 5), QString()); // outside the grid: nothing, no crash
}

void TestFlexGrid::addItemSplitsAtTabs_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("three cells") << u"3\thost.example\t12个"_qs
                                 << QStringList{u"3"_qs, u"host.example"_qs, u"12个"_qs};
    QTest::newRow("empty host") << u"1\t\t2个"_qs << QStringList{u"1"_qs, QString(), u"2个"_qs};
    QTest::newRow("fewer pieces") << u"7"_qs << QStringList{u"7"_qs, QString(), QString()};
    QTest::newRow("extra pieces dropped")
        << u"1\ta\tb\tc"_qs << QStringList{u"1"_qs, u"a"_qs, u"b"_qs};
}

void TestFlexGrid::addItemSplitsAtTabs()
{
    QFETCH(QString, item);
    QFETCH(QStringList, cells);
    FlexGrid grid(1, 3);
    grid.AddItem(item);
    QCOMPARE(grid.Rows(), 2);
    for (int c = 0; c < 3; ++c)
        QCOMPARE(grid.TextMatrix(1, c), cells[c]);
}

void TestFlexGrid::clearKeepsShape()
{
    FlexGrid grid(2, 2);
    grid.setTextMatrix(0, 1, u"header"_qs);
    grid.setTextMatrix(1, 1, u"cell"_qs);
    grid.Clear();
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.Cols(), 2);
    QCOMPARE(grid.TextMatrix(0, 1), QString());
    QCOMPARE(grid.TextMatrix(1, 1), QString());
}

void TestFlexGrid::setRows()
{
    FlexGrid grid(1, 3);
    grid.setTextMatrix(0, 1, u"header"_qs);
    for (int i = 1; i <= 5; ++i)
        grid.AddItem(QString::number(i));
    grid.setRows(1);
    QCOMPARE(grid.Rows(), 1);
    QCOMPARE(grid.model()->rowCount(), 0);
    QCOMPARE(grid.TextMatrix(0, 1), u"header"_qs);
    grid.setRows(0); // the fixed row always stays
    QCOMPARE(grid.Rows(), 1);
    grid.setRows(3);
    QCOMPARE(grid.model()->rowCount(), 2);
    QCOMPARE(grid.TextMatrix(2, 0), QString());
}

void TestFlexGrid::sortGenericDescending_data()
{
    QTest::addColumn<QStringList>("counts");
    QTest::addColumn<QStringList>("hostsAfterSort");
    // Hosts are named after their place before the sort.
    QTest::newRow("12 above 9") << QStringList{u"9个"_qs, u"12个"_qs}
                                << QStringList{u"h2"_qs, u"h1"_qs};
    QTest::newRow("ties keep their order")
        << QStringList{u"1个"_qs, u"3个"_qs, u"1个"_qs, u"3个"_qs, u"100个"_qs}
        << QStringList{u"h5"_qs, u"h2"_qs, u"h4"_qs, u"h1"_qs, u"h3"_qs};
    QTest::newRow("one row") << QStringList{u"5个"_qs} << QStringList{u"h1"_qs};
}

void TestFlexGrid::sortGenericDescending()
{
    QFETCH(QStringList, counts);
    QFETCH(QStringList, hostsAfterSort);
    FlexGrid grid(1, 3);
    for (int i = 0; i < counts.size(); ++i)
        grid.AddItem(u"%1\th%1\t%2"_qs.arg(i + 1).arg(counts[i]));
    grid.setCol(2);
    grid.setSort(FlexGrid::SortGenericDescending);
    QStringList hosts;
    for (int r = 1; r < grid.Rows(); ++r)
        hosts << grid.TextMatrix(r, 1);
    QCOMPARE(hosts, hostsAfterSort);
    // Column 0 moves with its row.
    for (int r = 1; r < grid.Rows(); ++r)
        QCOMPARE(u"h"_qs + grid.TextMatrix(r, 0), grid.TextMatrix(r, 1));
}

void TestFlexGrid::topRowScrollsWithinRange()
{
    FlexGrid grid(1, 2);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    for (int i = 1; i <= 100; ++i)
        grid.AddItem(QString::number(i));
    QCOMPARE(grid.TopRow(), 1);
    grid.setTopRow(40);
    QCOMPARE(grid.TopRow(), 40);
    QCOMPARE(grid.rowAt(0), 39); // row 40 is at the top of the view
    grid.setTopRow(0);
    QCOMPARE(grid.TopRow(), 1);
    grid.setTopRow(1000);
    QVERIFY(grid.TopRow() > 40);
    QVERIFY(grid.TopRow() <= grid.Rows() - 1);
}

void TestFlexGrid::manyRowsReachTheViewInOneBatch()
{
    FlexGrid grid(1, 3);
    int inserts = 0;
    connect(grid.model(), &QAbstractItemModel::rowsInserted, this, [&] { ++inserts; });
    for (int i = 1; i <= 10'000; ++i)
        grid.AddItem(u"%1\thost\t1个"_qs.arg(i));
    QCOMPARE(grid.Rows(), 10'001); // the program sees every row at once
    QCOMPARE(grid.TextMatrix(10'000, 0), u"10000"_qs);
    QTRY_COMPARE(grid.model()->rowCount(), 10'000);
    QCOMPARE(inserts, 1);
}

void TestFlexGrid::longCellShownInPart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("shown"); // how much of it the view is given
    const QString pair = u"😀"_qs;
    QTest::newRow("at the limit") << QString(4096, u'x') << 4096;
    QTest::newRow("a megabyte") << QString(1 << 20, u'x') << 4096;
    QTest::newRow("pair across the limit") << QString(4095, u'x') + pair + u"y"_qs << 4095;
    QTest::newRow("pair before the limit") << QString(4094, u'x') + pair + u"y"_qs << 4096;
}

void TestFlexGrid::longCellShownInPart()
{
    QFETCH(QString, text);
    QFETCH(int, shown);
    FlexGrid grid(2, 2);
    grid.setTextMatrix(1, 1, text);
    QCOMPARE(grid.model()->index(0, 0).data().toString(), text.first(shown));
    QCOMPARE(grid.TextMatrix(1, 1), text); // the program still has all of it
}

QTEST_MAIN(TestFlexGrid)
#include "tst_flexgrid.moc"
