#include "platform/Twips.h"
#include "support/Form1Harness.h"

#include <QAccessible>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

class TestForm1 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { h.reset(); }

    void captionAndFields();
    void controlGeometry_data();
    void controlGeometry();
    void restingState();
    void centredAtLoad();
    void tabOrder();
    void clickableLabelsWorkFromTheKeyboard();
    void controlsHaveAccessibleNames();
    void enterInText1StartsRun();
    void siteGoesIntoUrlAsTyped_data();
    void siteGoesIntoUrlAsTyped();
    void startResetsRun();
    void pauseAndResume();
    void resumeWhileReplyOnItsWayAsksNothingTwice();

private:
    // Lets the reply to the first result page through (an empty page) and holds every later one.
    void answerFirstPageOnly();

    std::unique_ptr<Form1Harness> h;
};

void TestForm1::init()
{
    h = std::make_unique<Form1Harness>();
    // Result pages stay unanswered, so a run stays at its first request.
    h->server.setScript([](const HttpFixture::Request& request) {
        HttpFixture::Reply reply;
        reply.never = request.path == u"/search";
        return reply;
    });
}

void TestForm1::answerFirstPageOnly()
{
    h->server.setScript([](const HttpFixture::Request& request) {
        HttpFixture::Reply reply;
        reply.never = request.path == u"/search" && request.query.queryItemValue(u"b"_qs) != u"1";
        return reply;
    });
}

void TestForm1::captionAndFields()
{
    QCOMPARE(h->form->windowTitle(), u"Ostrel V200912290"_qs);
    QCOMPARE(h->form->ver, 200912290);
    QCOMPARE(h->form->pageNo, 1);
    QCOMPARE(h->form->pause, false);
    QCOMPARE(h->form->size(), QSize(439, 407));
    QVERIFY(!h->form->windowIcon().isNull());
}

void TestForm1::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels"); // at 15 twips a pixel, halves to even
    QTest::newRow("Text1") << u"Text1"_qs << QRect(87, 16, 218, 25);
    QTest::newRow("Command1") << u"Command1"_qs << QRect(304, 16, 57, 25);
    QTest::newRow("Command2") << u"Command2"_qs << QRect(360, 16, 57, 25);
    QTest::newRow("Text2") << u"Text2"_qs << QRect(24, 16, 62, 25);
    QTest::newRow("tb1") << u"tb1"_qs << QRect(23, 64, 393, 257);
}

void TestForm1::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QWidget* control = h->form->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), pixels);
}

void TestForm1::restingState()
{
    QCOMPARE(h->Command1()->text(), u"查询"_qs);
    QVERIFY(h->Command1()->isEnabled());
    QVERIFY(h->Command1()->isDefault());
    QCOMPARE(h->Command2()->text(), u"暂停"_qs);
    QVERIFY(!h->Command2()->isEnabled());
    QCOMPARE(h->Text2()->text(), u"http://"_qs);
    QVERIFY(!h->Text2()->isEnabled());
    QVERIFY(h->Text1()->text().isEmpty());
    QCOMPARE(h->Text1()->font().pointSize(), 12);
    QVERIFY(h->Text1()->font().families().contains(u"SimSun"_qs));

    FlexGrid* grid = h->tb1();
    QCOMPARE(grid->Rows(), 1);
    QCOMPARE(grid->Cols(), 3);
    QCOMPARE(grid->ColWidth(0), 500);
    QCOMPARE(grid->ColWidth(1), 4400);
    QCOMPARE(grid->ColWidth(2), 600);
    QCOMPARE(grid->TextMatrix(0, 1), QString());
    QCOMPARE(grid->font().pointSize(), 9);
    QVERIFY(!grid->font().underline());

    CaptionLabel* status = h->label("Label1");
    QCOMPARE(status->caption(), u"本工具能分析所有外链的前1000条"_qs);
    QCOMPARE(status->pos(), QPoint(88, 48));
    CaptionLabel* exportLabel = h->label("Label3");
    QCOMPARE(exportLabel->caption(), u"导出"_qs);
    QVERIFY(exportLabel->isHidden());
    QCOMPARE(exportLabel->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QVERIFY(exportLabel->font().underline());
    QCOMPARE(h->label("Label2")->caption(), u"新功能"_qs);
    QCOMPARE(h->label("Label2")->pos(), QPoint(288, 392));
    QCOMPARE(h->label("copyright")->caption(), h->server.host());
    QCOMPARE(h->label("copyright")->pos(), QPoint(336, 392));
    const QPoint newsPlaces[] = {{24, 336}, {40, 336}, {24, 352}, {40, 352}};
    for (int i = 0; i < 4; ++i) {
        CaptionLabel* label = h->child<CaptionLabel>(qPrintable(u"news%1"_qs.arg(i)));
        QVERIFY(label);
        QVERIFY(label->caption().isEmpty());
        QCOMPARE(label->pos(), newsPlaces[i]);
        QVERIFY(label->font().underline());
    }
}

void TestForm1::centredAtLoad()
{
    const QRect screen = h->form->screen()->geometry();
    const QSize outer = h->form->frameGeometry().size();
    const QPoint twips = centredOrigin({screen.width() * 15, screen.height() * 15},
                                       {outer.width() * 15, outer.height() * 15});
    QCOMPARE(h->form->pos(),
             screen.topLeft() + QPoint(twipsToPixels(twips.x()), twipsToPixels(twips.y())));
}

void TestForm1::tabOrder()
{
    h->form->show();
    QVERIFY(QTest::qWaitForWindowActive(h->form.get()));
    QCOMPARE(QApplication::focusWidget(), h->Text1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), h->Command1());
    // Command2 and Text2 are disabled, so the grid comes next.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), h->tb1());
}

void TestForm1::clickableLabelsWorkFromTheKeyboard()
{
    h->form->show();
    QVERIFY(QTest::qWaitForWindowActive(h->form.get()));
    h->tb1()->setFocus();
    // The news labels have no caption yet and the export label is hidden: neither is reached.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), h->label("Label2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), h->label("copyright"));

    QSignalSpy clicked(h->label("copyright"), &CaptionLabel::clicked);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(clicked.size(), 2);
    QVERIFY2(h->Command1()->isEnabled() && h->resultRequests().isEmpty(),
             "Enter on a label is the label's, not the default button's");

    // Screen readers see a link they can press.
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(h->label("copyright"));
    QVERIFY(link);
    QCOMPARE(link->role(), QAccessible::Link);
    QCOMPARE(link->text(QAccessible::Name), h->server.host());
    QVERIFY(link->actionInterface());
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked.size(), 3);
}

void TestForm1::controlsHaveAccessibleNames()
{
    // Every control a screen reader reaches can be told apart from the others.
    QSet<QString> names;
    for (QWidget* control : h->form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible);
        const QString name = accessible->text(QAccessible::Name);
        if (control->objectName().startsWith(u"news"))
            continue; // named by the bulletin's captions
        QVERIFY2(!name.isEmpty(), qPrintable(control->objectName()));
        QVERIFY2(!names.contains(name), qPrintable(name));
        names.insert(name);
    }
    QVERIFY(
        !QAccessible::queryAccessibleInterface(h->tb1())->text(QAccessible::Description).isEmpty());
}

void TestForm1::enterInText1StartsRun()
{
    h->form->show();
    QVERIFY(QTest::qWaitForWindowActive(h->form.get()));
    QTest::keyClicks(h->Text1(), u"example.com"_qs);
    QTest::keyClick(h->Text1(), Qt::Key_Return);

    QVERIFY(!h->Command1()->isEnabled());
    QVERIFY(h->Command2()->isEnabled());
    QCOMPARE(h->Command2()->text(), u"暂停"_qs);
    QCOMPARE(h->label("Label1")->caption(), u"正在初始化..."_qs);
    QTRY_COMPARE_WITH_TIMEOUT(h->resultRequests().size(), 1, 10'000);
    const HttpFixture::Request request = h->resultRequests().first();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.query.toString(), u"p=example.com&bwm=i&bwmf=s&bwmo=s&b=1"_qs);

    // Enter while the run is walking does not start another one.
    QTest::keyClick(h->Text1(), Qt::Key_Return);
    QTest::qWait(100);
    QCOMPARE(h->resultRequests().size(), 1);
}

void TestForm1::siteGoesIntoUrlAsTyped_data()
{
    QTest::addColumn<QString>("site");
    QTest::newRow("plain") << u"www.example.com"_qs;
    QTest::newRow("spaces kept") << u" a b "_qs;
    QTest::newRow("non-ASCII") << u"例子.中国"_qs;
    QTest::newRow("empty") << QString();
}

void TestForm1::siteGoesIntoUrlAsTyped()
{
    QFETCH(QString, site);
    h->Text1()->setText(site);
    QTest::mouseClick(h->Command1(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(h->resultRequests().size(), 1, 10'000);
    const HttpFixture::Request request = h->resultRequests().first();
    QCOMPARE(request.query.queryItemValue(u"p"_qs, QUrl::FullyDecoded), site);
    QCOMPARE(request.query.queryItemValue(u"b"_qs), u"1"_qs);
}

void TestForm1::startResetsRun()
{
    h->form->domainStr = u"old.example\r\n"_qs;
    h->form->currentDomain = u"old.example"_qs;
    h->form->dict.add(u"old.example"_qs, u"http://old.example/"_qs);
    h->form->pageNo = 951;
    h->form->pause = true;
    h->tb1()->AddItem(u"1\told.example\t1个"_qs);

    QTest::mouseClick(h->Command1(), Qt::LeftButton);
    QCOMPARE(h->form->domainStr, QString());
    QCOMPARE(h->form->currentDomain, QString());
    QVERIFY(h->form->dict.hosts().empty());
    QCOMPARE(h->form->pause, false);
    QCOMPARE(h->form->pageNo, 1);
    QCOMPARE(h->tb1()->Rows(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(h->resultRequests().size(), 1, 10'000);
    QCOMPARE(h->resultRequests().first().query.queryItemValue(u"b"_qs), u"1"_qs);
}

void TestForm1::pauseAndResume()
{
    answerFirstPageOnly();
    QTest::mouseClick(h->Command1(), Qt::LeftButton);
    QTest::mouseClick(h->Command2(), Qt::LeftButton); // before the reply is in
    QCOMPARE(h->Command2()->text(), u"开始"_qs);
    QVERIFY(h->form->pause);
    QCOMPARE(h->label("Label1")->caption(), u"正在初始化..."_qs);
    QTRY_COMPARE_WITH_TIMEOUT(h->form->pageNo, 51, 10'000); // the reply moved the run on
    QCOMPARE(h->resultRequests().size(), 1);

    QTest::mouseClick(h->Command2(), Qt::LeftButton);
    QCOMPARE(h->Command2()->text(), u"暂停"_qs);
    QVERIFY(!h->form->pause);
    QTRY_COMPARE_WITH_TIMEOUT(h->resultRequests().size(), 2, 10'000);
    QCOMPARE(h->resultRequests().last().query.queryItemValue(u"b"_qs), u"51"_qs);
}

void TestForm1::resumeWhileReplyOnItsWayAsksNothingTwice()
{
    answerFirstPageOnly();
    QTest::mouseClick(h->Command1(), Qt::LeftButton);
    QTest::mouseClick(h->Command2(), Qt::LeftButton); // pause
    QTest::mouseClick(h->Command2(), Qt::LeftButton); // resume before the reply came
    QCOMPARE(h->Command2()->text(), u"暂停"_qs);
    // The reply asks for the next page itself; page 1 is not asked for again.
    QTRY_COMPARE_WITH_TIMEOUT(h->resultRequests().size(), 2, 10'000);
    QCOMPARE(h->resultRequests().last().query.queryItemValue(u"b"_qs), u"51"_qs);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
