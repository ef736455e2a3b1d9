#include "support/Form1Harness.h"
#include "ui/links/Form2.h"

#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

// Counts the wheel events that get past the application's filters to one widget.
class WheelCounter : public QObject {
public:
    int seen = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Wheel)
            ++seen;
        return false;
    }
};

class TestWheel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { h.reset(); }

    void turnMovesActiveGridOneRow_data();
    void turnMovesActiveGridOneRow();
    void everyChildOfTheWindowTakesTheTurn();
    void activeWindowDecidesWhichGridMoves();
    void otherWindowsUntouched();
    void otherEventsUntouched();

private:
    Form2* openLinkList();
    static void turn(QWidget* target, QPoint angle, Qt::ScrollPhase phase = Qt::NoScrollPhase);
    static void activate(QWidget* window);

    std::unique_ptr<Form1Harness> h;
};

void TestWheel::init()
{
    h = std::make_unique<Form1Harness>();
    for (int i = 1; i <= 60; ++i) {
        h->tb1()->AddItem(u"%1\thost%1.example\t1个"_qs.arg(i));
        h->form->dict.add(u"host1.example"_qs, u"http://host1.example/%1"_qs.arg(i));
    }
    h->form->show();
    activate(h->form.get());
}

Form2* TestWheel::openLinkList()
{
    h->tb1()->setRow(1);
    Q_EMIT h->tb1()->DblClick();
    return shownWindow<Form2>();
}

void TestWheel::turn(QWidget* target, QPoint angle, Qt::ScrollPhase phase)
{
    const QPointF at = QRectF(target->rect()).center();
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
                      phase, false);
    QApplication::sendEvent(target, &event);
}

void TestWheel::activate(QWidget* window)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void TestWheel::turnMovesActiveGridOneRow_data()
{
    QTest::addColumn<int>("top"); // 0: the last top row the grid can show
    QTest::addColumn<int>("distance");
    QTest::addColumn<int>("moved");
    QTest::newRow("one notch away") << 5 << 120 << -1;
    QTest::newRow("one notch toward") << 5 << -120 << 1;
    QTest::newRow("zero distance") << 5 << 0 << -1;
    QTest::newRow("three notches toward") << 5 << -360 << 1;
    QTest::newRow("a fraction away") << 5 << 15 << -1;
    QTest::newRow("at the top, away") << 1 << 120 << 0;
    QTest::newRow("at the bottom, toward") << 0 << -120 << 0;
}

void TestWheel::turnMovesActiveGridOneRow()
{
    QFETCH(int, top);
    QFETCH(int, distance);
    QFETCH(int, moved);
    FlexGrid* grid = h->tb1();
    grid->setTopRow(top ? top : grid->Rows());
    const int before = grid->TopRow();
    QVERIFY(before > 1 || top == 1);

    turn(grid->viewport(), {0, distance});
    QCOMPARE(grid->TopRow(), before + moved);
}

void TestWheel::everyChildOfTheWindowTakesTheTurn()
{
    FlexGrid* grid = h->tb1();
    grid->setTopRow(10);
    QWidget* targets[] = {grid->viewport(), grid->verticalScrollBar(), grid,         h->Text1(),
                          h->Command1(),    h->label("Label1"),        h->form.get()};
    int expected = 10;
    for (QWidget* target : targets) {
        WheelCounter counter;
        target->installEventFilter(&counter);
        turn(target, {0, -120});
        QCOMPARE(grid->TopRow(), ++expected);
        QCOMPARE(counter.seen, 0); // the widget never scrolls on its own
    }
}

void TestWheel::activeWindowDecidesWhichGridMoves()
{
    Form2* list = openLinkList();
    QVERIFY(list);
    FlexGrid* mainGrid = h->tb1();
    auto* listGrid = list->findChild<FlexGrid*>(u"tb1"_qs);
    mainGrid->setTopRow(10);
    listGrid->setTopRow(10);

    // The turn over the main window moves the grid of the active link list, and the other way.
    activate(list);
    turn(mainGrid->viewport(), {0, -120});
    QCOMPARE(listGrid->TopRow(), 11);
    QCOMPARE(mainGrid->TopRow(), 10);

    activate(h->form.get());
    turn(listGrid->viewport(), {0, 120});
    QCOMPARE(mainGrid->TopRow(), 9);
    QCOMPARE(listGrid->TopRow(), 11);

    // Loading the list again hooks it again; still one row per turn, in either direction, and
    // none past its last row.
    list->close();
    QCOMPARE(openLinkList(), list);
    activate(list);
    listGrid->setTopRow(10);
    turn(listGrid->viewport(), {0, -120});
    QCOMPARE(listGrid->TopRow(), 11);
    turn(listGrid->viewport(), {0, 360});
    QCOMPARE(listGrid->TopRow(), 10);
    listGrid->setTopRow(listGrid->Rows());
    const int last = listGrid->TopRow();
    turn(listGrid->viewport(), {0, -120});
    QCOMPARE(listGrid->TopRow(), last);
}

void TestWheel::otherWindowsUntouched()
{
    // A window of the program without the hook, such as a message box: its own wheel handling,
    // and while it is active a turn over the main window moves nothing.
    QWidget other;
    auto* grid = new FlexGrid(1, 2, &other);
    grid->setObjectName(u"other"_qs);
    grid->resize(200, 100);
    for (int i = 1; i <= 40; ++i)
        grid->AddItem(u"%1\trow"_qs.arg(i));
    other.show();
    activate(&other);

    grid->setTopRow(10);
    turn(grid->viewport(), {0, -120});
    QVERIFY(grid->TopRow() > 11); // scrolled by the view itself: several rows a notch

    h->tb1()->setTopRow(10);
    turn(h->tb1()->viewport(), {0, -120});
    QCOMPARE(h->tb1()->TopRow(), 10);
}

void TestWheel::otherEventsUntouched()
{
    FlexGrid* grid = h->tb1();
    grid->setTopRow(10);
    WheelCounter counter;
    grid->viewport()->installEventFilter(&counter);

    // A tilt sideways, and the markers a touchpad sends around a scroll, are not turns.
    turn(grid->viewport(), {120, 0});
    turn(grid->viewport(), {0, 0}, Qt::ScrollBegin);
    turn(grid->viewport(), {0, 0}, Qt::ScrollEnd);
    QCOMPARE(counter.seen, 3);
    QCOMPARE(grid->TopRow(), 10);

    // Keys still drive the grid.
    grid->setRow(3);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->Row(), 4);
}

QTEST_MAIN(TestWheel)
#include "tst_wheel.moc"
