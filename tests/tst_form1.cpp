#include "support/Form1Harness.h"
#include "support/ResultPages.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

class TestForm1 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { h.reset(); }

    void windowAtLoad();
    void controlGeometry_data();
    void controlGeometry();
    void restingState();
    void keyboardReachesEveryControl();
    void controlsHaveAccessibleNames();
    void enterInText1StartsRun();
    void siteGoesIntoUrlAsTyped_data();
    void siteGoesIntoUrlAsTyped();
    void startResetsRun();
    void pauseAndResume_data();
    void pauseAndResume();

private:
    std::unique_ptr<Form1Harness> h;
};

void TestForm1::init()
{
    h = std::make_unique<Form1Harness>();
    // Result pages stay unanswered, so a run stays at its first request.
    h->serveResults([](int) { return HttpFixture::Reply::silence(); });
}

void TestForm1::windowAtLoad()
{
    QCOMPARE(h->form->windowTitle(), u"Ostrel V200912290"_qs);
    QCOMPARE(h->form->size(), QSize(439, 407));
    QVERIFY(!h->form->windowIcon().isNull());
    QCOMPARE(h->form->pos(), centredPosition(h->form.get()));
}

void TestForm1::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels"); // at 15 twips a pixel, halves to even; labels: place only
    QTest::newRow("Text1") << u"Text1"_qs << QRect(87, 16, 218, 25);
    QTest::newRow("Command1") << u"Command1"_qs << QRect(304, 16, 57, 25);
    QTest::newRow("Command2") << u"Command2"_qs << QRect(360, 16, 57, 25);
    QTest::newRow("Text2") << u"Text2"_qs << QRect(24, 16, 62, 25);
    QTest::newRow("tb1") << u"tb1"_qs << QRect(23, 64, 393, 257);
    QTest::newRow("Label1") << u"Label1"_qs << QRect(88, 48, 0, 0);
    QTest::newRow("Label2") << u"Label2"_qs << QRect(288, 392, 0, 0);
    QTest::newRow("copyright") << u"copyright"_qs << QRect(336, 392, 0, 0);
}

void TestForm1::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QWidget* control = h->form->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(pixels.isEmpty() ? QRect(control->pos(), QSize(0, 0)) : control->geometry(), pixels);
}

void TestForm1::restingState()
{
    QCOMPARE(h->Command1()->text(), u"查询"_qs);
    QVERIFY(h->Command1()->isEnabled() && h->Command1()->isDefault());
    QCOMPARE(h->Command2()->text(), u"暂停"_qs);
    QVERIFY(!h->Command2()->isEnabled() && !h->Text2()->isEnabled());
    QCOMPARE(h->Text2()->text(), u"http://"_qs);
    QVERIFY(h->Text1()->text().isEmpty());
    QCOMPARE(h->Text1()->font().pointSize(), 12);
    QVERIFY(h->Text1()->font().families().contains(u"SimSun"_qs));

    const FlexGrid* grid = h->tb1();
    QCOMPARE(QList<int>({grid->Rows(), grid->Cols(), grid->ColWidth(0), grid->ColWidth(1),
                         grid->ColWidth(2), grid->font().pointSize()}),
             QList<int>({1, 3, 500, 4400, 600, 9}));

    QCOMPARE(h->label("Label1")->caption(), u"本工具能分析所有外链的前1000条"_qs);
    CaptionLabel* exportLabel = h->label("Label3");
    QVERIFY(exportLabel->isHidden() && exportLabel->font().underline());
    QCOMPARE(exportLabel->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(h->label("copyright")->caption(), h->server.host());
}

void TestForm1::keyboardReachesEveryControl()
{
    h->form->show();
    QVERIFY(QTest::qWaitForWindowActive(h->form.get()));
    // Command2 and Text2 are disabled, the news labels have no caption yet and the export label
    // is hidden: none of them is reached.
    const QWidget* chain[] = {h->Text1(), h->Command1(), h->tb1(), h->label("Label2"),
                              h->label("copyright")};
    QCOMPARE(QApplication::focusWidget(), chain[0]);
    for (std::size_t i = 1; i < std::size(chain); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), chain[i]);
    }

    QSignalSpy clicked(h->label("copyright"), &CaptionLabel::clicked);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(clicked.size(), 2);
    QVERIFY2(h->Command1()->isEnabled() && h->resultRequestsInFlight() == 0,
             "Enter on a label is the label's, not the default button's");

    // Screen readers see a link they can press.
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(h->label("copyright"));
    QCOMPARE(link->role(), QAccessible::Link);
    QCOMPARE(link->text(QAccessible::Name), h->server.host());
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked.size(), 3);
}

void TestForm1::controlsHaveAccessibleNames()
{
    // Every control a screen reader reaches can be told apart from the others; the news labels
    // are named by the bulletin's captions.
    QSet<QString> names;
    for (QWidget* control : h->form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QString name =
            QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        if (control->objectName().startsWith(u"news"))
            continue;
        QVERIFY2(!name.isEmpty() && !names.contains(name), qPrintable(control->objectName()));
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
    QCOMPARE(h->label("Label1")->caption(), u"正在初始化..."_qs);
    QTRY_COMPARE_WITH_TIMEOUT(h->resultRequests().size(), 1, 10'000);
    const HttpFixture::Request request = h->resultRequests().first();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.query.toString(), u"p=example.com&bwm=i&bwmf=s&bwmo=s&b=1"_qs);

    // Enter while the run is walking does not start another one.
    QTest::keyClick(h->Text1(), Qt::Key_Return);
    QCOMPARE(h->resultRequestsInFlight(), 1);
}

void TestForm1::siteGoesIntoUrlAsTyped_data()
{
    QTest::addColumn<QString>("site");
    QTest::newRow("spaces kept") << u" a b "_qs;
    QTest::newRow("non-ASCII") << u"例子.中国"_qs;
    QTest::newRow("empty") << QString();
}

void TestForm1::siteGoesIntoUrlAsTyped()
{
    QFETCH(QString, site);
    h->startRun(site);
    QTRY_COMPARE_WITH_TIMEOUT(h->resultRequests().size(), 1, 10'000);
    QCOMPARE(h->resultRequests().first().query.queryItemValue(u"p"_qs, QUrl::FullyDecoded), site);
}

void TestForm1::startResetsRun()
{
    h->form->domainStr = u"old.example\r\n"_qs;
    h->form->currentDomain = u"old.example"_qs;
    h->form->dict.add(u"old.example"_qs, u"http://old.example/"_qs);
    h->form->pageNo = 951;
    h->form->pause = true;
    h->tb1()->AddItem(u"1\told.example\t1个"_qs);

    h->startRun(u"example.com"_qs);
    QVERIFY(h->form->domainStr.isEmpty() && h->form->currentDomain.isEmpty());
    QVERIFY(h->form->dict.hosts().empty());
    QVERIFY(!h->form->pause);
    QCOMPARE(h->tb1()->Rows(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(h->requestedB(), QStringList{u"1"_qs}, 10'000);
}

void TestForm1::pauseAndResume_data()
{
    QTest::addColumn<bool>("resumeEarly"); // resume before the reply to page 1 is in
    QTest::newRow("resume after the reply") << false;
    QTest::newRow("resume while the reply is on its way") << true;
}

void TestForm1::pauseAndResume()
{
    QFETCH(bool, resumeEarly);
    // Page 1 of 120 results is answered; later pages are held.
    QStringList links;
    for (int n = 1; n <= 50; ++n)
        links.append(u"http://h.example/%1"_qs.arg(n));
    h->serveResults([links](int b) {
        return b == 1 ? HttpFixture::Reply::answer(resultPage(u"120"_qs, links))
                      : HttpFixture::Reply::silence();
    });
    h->startRun(u"example.com"_qs);
    QTest::mouseClick(h->Command2(), Qt::LeftButton);
    QCOMPARE(h->Command2()->text(), u"开始"_qs);
    QVERIFY(h->form->pause);
    if (!resumeEarly) {
        // The reply moves the run on to page 51 and holds it there.
        QTRY_COMPARE_WITH_TIMEOUT(h->form->pageNo, 51, 10'000);
        QCOMPARE(h->label("Label1")->caption(), u"分析中,进度:50/120"_qs);
        QCOMPARE(h->resultRequestsInFlight(), 0);
    }
    QTest::mouseClick(h->Command2(), Qt::LeftButton);
    QCOMPARE(h->Command2()->text(), u"暂停"_qs);
    QVERIFY(!h->form->pause);
    // No page is asked for twice or skipped, and page 1 is tallied once.
    QTRY_COMPARE_WITH_TIMEOUT(h->requestedB(), (QStringList{u"1"_qs, u"51"_qs}), 10'000);
    QCOMPARE(h->form->dict.linkCount(), 50);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
