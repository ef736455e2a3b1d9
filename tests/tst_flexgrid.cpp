#include "ui/FlexGrid.h"

#include <QHeaderView>
#include <QTest>

class TestFlexGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixedRowAndColumnAreHeaders();
    void addItemSplitsAtTabs();
    void clearAndSetRows();
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

void TestFlexGrid::addItemSplitsAtTabs()
{
    FlexGrid grid(1, 3);
    grid.AddItem(u"1\t\t2个"_qs);
    grid.AddItem(u"7"_qs);
    grid.AddItem(u"8\ta\tb\textra"_qs);
    QStringList cells;
    for (int r = 1; r < grid.Rows(); ++r)
        cells << grid.TextMatrix(r, 0) + u'|' + grid.TextMatrix(r, 1) + u'|' +
                     grid.TextMatrix(r, 2);
    QCOMPARE(cells, (QStringList{u"1||2个"_qs, u"7||"_qs, u"8|a|b"_qs}));
}

void TestFlexGrid::clearAndSetRows()
{
    FlexGrid grid(1, 3);
    grid.setTextMatrix(0, 1, u"header"_qs);
    for (int i = 1; i <= 5; ++i)
        grid.AddItem(QString::number(i));
    grid.setRows(1);
    QCOMPARE(grid.model()->rowCount(), 0);
    QCOMPARE(grid.TextMatrix(0, 1), u"header"_qs);
    grid.setRows(0); // the fixed row always stays
    QCOMPARE(grid.Rows(), 1);
    grid.setRows(3);
    QCOMPARE(grid.model()->rowCount(), 2);
    grid.setTextMatrix(2, 1, u"cell"_qs);
    grid.Clear(); // empties every cell, keeps the shape
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.Cols(), 3);
    QCOMPARE(grid.TextMatrix(0, 1) + grid.TextMatrix(2, 1), QString());
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
