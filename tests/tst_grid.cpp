// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/GenericSort.h"
#include "ui/FlexGridModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

class TestGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void genericOrder_data();
    void genericOrder();
    void modelStaysConsistent();
};

void TestGrid::genericOrder_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QList<int>>("order");

    QTest::newRow("counts by value, not by text")
        << QStringList{u"9个"_qs, u"12个"_qs, u"100个"_qs} << true << QList<int>{2, 1, 0};
    // Enough rows for a sort that is not stable to show it.
    QStringList many;
    QList<int> odd, even;
    for (int i = 0; i < 40; ++i) {
        many.append(i % 2 ? u"2个"_qs : u"1个"_qs);
        (i % 2 ? odd : even).append(i);
    }
    QTest::newRow("many ties keep the order met") << many << true << odd + even;
    QTest::newRow("ties keep the order met, ascending")
        << QStringList{u"3个"_qs, u"1个"_qs, u"3个"_qs, u"1个"_qs} << false
        << QList<int>{1, 3, 0, 2};
    QTest::newRow("signs, points and spaces")
        << QStringList{u" 2.5"_qs, u"-3"_qs, u"+4x"_qs, u"0.25"_qs} << false
        << QList<int>{1, 3, 0, 2};
    QTest::newRow("numbers before texts")
        << QStringList{u"b"_qs, u"."_qs, u"7"_qs, u"a"_qs} << false << QList<int>{2, 1, 3, 0};
    QTest::newRow("texts first when descending")
        << QStringList{u"b"_qs, u"7"_qs, u"a"_qs, u"10"_qs} << true << QList<int>{0, 2, 3, 1};
}

void TestGrid::genericOrder()
{
    QFETCH(QStringList, cells);
    QFETCH(bool, descending);
    QFETCH(QList<int>, order);
    const std::vector<int> sorted = genericSortOrder(cells, descending);
    QCOMPARE(QList<int>(sorted.begin(), sorted.end()), order);
}

void TestGrid::modelStaysConsistent()
{
    // The tester checks every signal against the rows the view is told about, which is where
    // appending in batches and committing them a turn later can go wrong.
    FlexGridModel model(2, 3);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setText(1, 1, u"first"_qs);
    for (int i = 0; i < 5; ++i)
        model.append({QString::number(i + 2), u"h\t%1"_qs.arg(i), u"%1个"_qs.arg(i % 2)});
    QCOMPARE(model.rowCount(), 1); // not yet announced
    QCOMPARE(model.text(6, 1), u"h\t4"_qs);
    QTRY_COMPARE(model.rowCount(), 6);
    model.append({u"x"_qs});
    model.sortRows(2, true);
    QCOMPARE(model.rowCount(), 7);
    QStringList order;
    for (int r = 1; r < model.rows(); ++r)
        order.append(model.text(r, 0));
    QCOMPARE(order, QStringList({u""_qs, u"x"_qs, u"3"_qs, u"5"_qs, u"2"_qs, u"4"_qs, u"6"_qs}));
    model.setRows(3);
    model.clear();
    model.setRows(5);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.text(1, 1), QString());
    QCOMPARE(model.headerData(0, Qt::Vertical, Qt::DisplayRole), QVariant(QString()));
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
