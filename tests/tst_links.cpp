#include "platform/BrowserAddress.h"
#include "platform/Twips.h"
#include "support/Form1Harness.h"
#include "ui/WindowPlacement.h"
#include "ui/links/Form2.h"

#include <QTest>

class TestLinks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { h.reset(); }

    void browserAddress_data();
    void browserAddress();
    void listOfHost_data();
    void listOfHost();
    void doubleClickOpensLinkWithFragment_data();
    void doubleClickOpensLinkWithFragment();
    void copyrightOpensHomePage();
    void emptyAddressEndsQuietly();
    void resizeFitsGrid_data();
    void resizeFitsGrid();
    void closedWindowReloadsForAnotherHost();
    void anotherHostWhileOpenRebuildsAndRaises();
    void hostNotInTallyShowsEmptyList();

private:
    // Fills the main grid and the tally as an ended run leaves them, one row per host.
    void runFound(const QList<QPair<QString, QStringList>>& hosts);
    // Double-clicks a row of the main grid and returns the link list window it shows.
    Form2* doubleClickHost(int row);
    static FlexGrid* gridOf(Form2* form) { return form->findChild<FlexGrid*>(u"tb1"_qs); }
    // The column fitted to the window's present width.
    static int fittedColumn1(Form2* form)
    {
        return pixelsToTwips(form->frameGeometry().width()) - 3 * 120 - 500;
    }

    std::unique_ptr<Form1Harness> h;
    BrowserCatcher browser;
};

// A user's double-click: press and release, then the second press that makes it a double one.
static void doubleClickRow(FlexGrid* grid, int row)
{
    grid->setRow(row); // rows added a moment ago reach the view first
    const QPoint cell = grid->visualRect(grid->model()->index(row - 1, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
}

void TestLinks::init()
{
    h = std::make_unique<Form1Harness>();
    browser.opened.clear();
    h->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(h->form.get()));
}

void TestLinks::runFound(const QList<QPair<QString, QStringList>>& hosts)
{
    int n = 0;
    for (const auto& [host, links] : hosts) {
        for (const QString& link : links)
            h->form->dict.add(host, link);
        h->tb1()->AddItem(u"%1\t%2\t%3个"_qs.arg(++n).arg(host).arg(links.size()));
    }
}

Form2* TestLinks::doubleClickHost(int row)
{
    doubleClickRow(h->tb1(), row);
    return shownWindow<Form2>();
}

void TestLinks::browserAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("address"); // as the browser is given it
    QTest::newRow("query and fragment") << u"http://a.example/?x=1&y=2#From:pub.example"_qs
                                        << QByteArray("http://a.example/?x=1&y=2#From:pub.example");
    // A "#" has no place inside a fragment other than escaped.
    QTest::newRow("two fragments") << u"https://a.example/#top#From:pub.example:8080"_qs
                                   << QByteArray("https://a.example/#top%23From:pub.example:8080");
    QTest::newRow("escapes kept") << u"http://a.example/a%20b?q=%E4%B8%AD"_qs
                                  << QByteArray("http://a.example/a%20b?q=%E4%B8%AD");
    QTest::newRow("spaces") << u"http://a.example/a b"_qs << QByteArray("http://a.example/a%20b");
    QTest::newRow("stray percent leaves other escapes alone")
        << u"http://a.example/100%/a%20b"_qs << QByteArray("http://a.example/100%25/a%20b");
    QTest::newRow("percent before one hex digit at the end")
        << u"http://a.example/?p=%A"_qs << QByteArray("http://a.example/?p=%25A");
    QTest::newRow("characters outside the code page")
        << u"http://例子.中国/页?q=é€"_qs
        << QByteArray("http://xn--fsqu00a.xn--fiqs8s/%E9%A1%B5?q=%C3%A9%E2%82%AC");
}

void TestLinks::browserAddress()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, address);
    QCOMPARE(::browserAddress(text).toEncoded(), address);
}

void TestLinks::listOfHost_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QStringList>("links");
    QTest::newRow("one link") << u"one.example"_qs << QStringList{u"http://one.example/a"_qs};
    QTest::newRow("three links, in the order found")
        << u"Three.Example:8080"_qs
        << QStringList{u"http://Three.Example:8080/z"_qs, u"http://Three.Example:8080/a"_qs,
                       u"http://Three.Example:8080/z"_qs};
}

void TestLinks::listOfHost()
{
    QFETCH(QString, host);
    QFETCH(QStringList, links);
    runFound({{u"other.example"_qs, {u"http://other.example/"_qs}}, {host, links}});

    Form2* form = doubleClickHost(2);
    QVERIFY(form);
    QCOMPARE(h->form->currentDomain, host);
    QCOMPARE(form->windowTitle(), host);
    FlexGrid* grid = gridOf(form);
    QCOMPARE(grid->Rows(), links.size() + 1);
    QCOMPARE(grid->TextMatrix(0, 1), u"双击可以打开网页"_qs);
    for (int k = 1; k <= links.size(); ++k) {
        QCOMPARE(grid->TextMatrix(k, 0), QString::number(k));
        QCOMPARE(grid->TextMatrix(k, 1), links[k - 1]);
    }
    QCOMPARE(grid->ColWidth(0), 500);
    // A fresh window: the designed client area, centred on the screen.
    QCOMPARE(form->size(), QSize(648, 368));
    QCOMPARE(form->pos(), centredPosition(form));
}

void TestLinks::doubleClickOpensLinkWithFragment_data()
{
    QTest::addColumn<QString>("link");
    QTest::newRow("plain") << u"http://a.example/page.html"_qs;
    QTest::newRow("fragment already there") << u"http://a.example/doc#part2"_qs;
}

void TestLinks::doubleClickOpensLinkWithFragment()
{
    QFETCH(QString, link);
    runFound({{u"a.example"_qs, {u"http://a.example/first"_qs, link}}});
    Form2* form = doubleClickHost(1);
    QVERIFY(form);
    doubleClickRow(gridOf(form), 2);
    QCOMPARE(browser.opened, QStringList{link + u"#From:"_qs + h->server.host()});
    QVERIFY(h->boxes.isEmpty());
}

void TestLinks::copyrightOpensHomePage()
{
    QTest::mouseClick(h->label("copyright"), Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(browser.opened, QStringList{u"http://"_qs + h->server.host()});
}

void TestLinks::emptyAddressEndsQuietly()
{
    h->form->linkto(QString());
    h->form->linkto(u"   "_qs);
    QVERIFY(h->boxes.isEmpty());
    QVERIFY(browser.opened.isEmpty());
}

void TestLinks::resizeFitsGrid_data()
{
    QTest::addColumn<QSize>("client"); // pixels
    QTest::newRow("narrower than column 0") << QSize(40, 60);
    QTest::newRow("smaller than the margins") << QSize(10, 10);
}

void TestLinks::resizeFitsGrid()
{
    QFETCH(QSize, client);
    runFound({{u"a.example"_qs, {u"http://a.example/"_qs}}});
    Form2* form = doubleClickHost(1);
    QVERIFY(form);
    form->resize(client);
    QTRY_COMPARE_WITH_TIMEOUT(form->size(), client, 5'000);

    // Width W - 3 x Left, height H - 6 x Top of the outer size, column 1 the rest; never below 0.
    const QSize outer = form->frameGeometry().size() * twipsPerPixel;
    FlexGrid* grid = gridOf(form);
    QCOMPARE(twipsGeometry(grid),
             QRect(120, 120, std::max(outer.width() - 360, 0), std::max(outer.height() - 720, 0)));
    QCOMPARE(grid->ColWidth(1), std::max(fittedColumn1(form), 0));
}

void TestLinks::closedWindowReloadsForAnotherHost()
{
    runFound({{u"a.example"_qs, {u"http://a.example/1"_qs, u"http://a.example/2"_qs}},
              {u"b.example"_qs, {u"http://b.example/only"_qs}}});
    Form2* form = doubleClickHost(1);
    QVERIFY(form);
    form->resize(800, 500);
    QTRY_COMPARE_WITH_TIMEOUT(form->size(), QSize(800, 500), 5'000);
    form->close();

    // Loaded afresh: the designed size, and no row left over from the longer list.
    QCOMPARE(doubleClickHost(2), form);
    QCOMPARE(form->windowTitle(), u"b.example"_qs);
    FlexGrid* grid = gridOf(form);
    QCOMPARE(grid->Rows(), 2);
    QCOMPARE(grid->TextMatrix(1, 1), u"http://b.example/only"_qs);
    QCOMPARE(form->size(), QSize(648, 368));
    QCOMPARE(grid->ColWidth(1), fittedColumn1(form));

    // Closing the main window closes it too.
    h->form->close();
    QVERIFY(!form->isVisible());
}

void TestLinks::anotherHostWhileOpenRebuildsAndRaises()
{
    runFound({{u"a.example"_qs, {u"http://a.example/1"_qs, u"http://a.example/2"_qs}},
              {u"b.example"_qs,
               {u"http://b.example/1"_qs, u"http://b.example/2"_qs, u"http://b.example/3"_qs}}});
    Form2* form = doubleClickHost(1);
    QVERIFY(form);
    form->resize(700, 400);
    QTRY_COMPARE_WITH_TIMEOUT(form->size(), QSize(700, 400), 5'000);
    h->form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h->form.get()));

    QCOMPARE(doubleClickHost(2), form);
    QCOMPARE(form->windowTitle(), u"b.example"_qs);
    FlexGrid* grid = gridOf(form);
    QCOMPARE(grid->Rows(), 4);
    QCOMPARE(grid->TextMatrix(3, 1), u"http://b.example/3"_qs);
    // Rebuilt where and as large as the user left it, with the column fitted to it.
    QCOMPARE(form->size(), QSize(700, 400));
    QCOMPARE(grid->ColWidth(1), fittedColumn1(form));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), form, 5'000);
}

void TestLinks::hostNotInTallyShowsEmptyList()
{
    // Before any run, or while one is under way, the main grid has its header row only; the
    // double-click then picks the empty host, which the tally does not hold.
    Q_EMIT h->tb1()->DblClick();
    Form2* form = shownWindow<Form2>();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QString());
    FlexGrid* grid = gridOf(form);
    QCOMPARE(grid->Rows(), 2);
    QCOMPARE(grid->TextMatrix(0, 1), u"双击可以打开网页"_qs);
    QCOMPARE(grid->TextMatrix(1, 0) + grid->TextMatrix(1, 1), QString());
}

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
