#include "platform/BrowserAddress.h"
#include "platform/GridFit.h"
#include "platform/Twips.h"
#include "support/Form1Harness.h"
#include "ui/WindowPlacement.h"
#include "ui/links/Form2.h"

#include <QDesktopServices>
#include <QScreen>
#include <QTest>

// Stands in for the browser: records every address the program asks to open.
class BrowserCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

class TestLinks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void fittedGrid_data();
    void fittedGrid();
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
    void closingMainWindowClosesList();

private:
    // Fills the main grid and the tally as an ended run leaves them, one row per host.
    void runFound(const QList<QPair<QString, QStringList>>& hosts);
    // Double-clicks a row of the main grid and returns the link list window it shows.
    Form2* doubleClickHost(int row);
    static Form2* shownLinkList();
    static FlexGrid* gridOf(Form2* form) { return form->findChild<FlexGrid*>(u"tb1"_qs); }

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
    QDesktopServices::setUrlHandler(u"http"_qs, &browser, "open");
    QDesktopServices::setUrlHandler(u"https"_qs, &browser, "open");
    h->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(h->form.get()));
}

void TestLinks::cleanup()
{
    QDesktopServices::unsetUrlHandler(u"http"_qs);
    QDesktopServices::unsetUrlHandler(u"https"_qs);
    h.reset();
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
    return shownLinkList();
}

Form2* TestLinks::shownLinkList()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<Form2*>(window); form && form->isVisible())
            return form;
    return nullptr;
}

void TestLinks::fittedGrid_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QSize>("grid");
    QTest::addColumn<int>("column1");
    QTest::newRow("as designed") << QSize(9720, 5520) << QSize(9360, 4800) << 8860;
    QTest::newRow("wider and taller") << QSize(15000, 9000) << QSize(14640, 8280) << 14140;
    QTest::newRow("narrower than column 0") << QSize(600, 800) << QSize(240, 80) << 0;
    QTest::newRow("smaller than the margins") << QSize(120, 90) << QSize(0, 0) << 0;
}

void TestLinks::fittedGrid()
{
    QFETCH(QSize, outer);
    QFETCH(QSize, grid);
    QFETCH(int, column1);
    const QSize fitted = fittedGridSize(outer, {120, 120});
    QCOMPARE(fitted, grid);
    QCOMPARE(fillingColumnWidth(fitted.width(), 500), column1);
}

void TestLinks::browserAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("address"); // as the browser is given it
    QTest::newRow("plain") << u"http://a.example/p.html"_qs
                           << QByteArray("http://a.example/p.html");
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
    QTest::newRow("percent at the end")
        << u"http://a.example/?p=5%"_qs << QByteArray("http://a.example/?p=5%25");
    QTest::newRow("percent before one hex digit")
        << u"http://a.example/?p=%A"_qs << QByteArray("http://a.example/?p=%25A");
    QTest::newRow("characters outside the code page")
        << u"http://例子.中国/页?q=é€"_qs
        << QByteArray("http://xn--fsqu00a.xn--fiqs8s/%E9%A1%B5?q=%C3%A9%E2%82%AC");
}

void TestLinks::browserAddress()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, address);
    const QUrl url = ::browserAddress(text);
    QVERIFY(url.isValid());
    QCOMPARE(url.toEncoded(), address);
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
    QCOMPARE(grid->font().pointSize(), 9);
    QCOMPARE(grid->Cols(), 2);
    QCOMPARE(grid->Rows(), links.size() + 1);
    QCOMPARE(grid->TextMatrix(0, 0), QString());
    QCOMPARE(grid->TextMatrix(0, 1), u"双击可以打开网页"_qs);
    for (int k = 1; k <= links.size(); ++k) {
        QCOMPARE(grid->TextMatrix(k, 0), QString::number(k));
        QCOMPARE(grid->TextMatrix(k, 1), links[k - 1]);
    }
    QCOMPARE(grid->ColWidth(0), 500);
    QCOMPARE(twipsGeometry(grid).topLeft(), QPoint(120, 120));
    // A fresh window: the designed client area, centred on the screen.
    QCOMPARE(form->size(), QSize(648, 368));
    const QRect screen = form->screen()->geometry();
    const QSize outer = form->frameGeometry().size();
    const QPoint origin =
        centredOrigin({pixelsToTwips(screen.width()), pixelsToTwips(screen.height())},
                      {pixelsToTwips(outer.width()), pixelsToTwips(outer.height())});
    QCOMPARE(form->frameGeometry().topLeft(),
             screen.topLeft() + QPoint(twipsToPixels(origin.x()), twipsToPixels(origin.y())));
    QVERIFY(h->boxes.isEmpty());
}

void TestLinks::doubleClickOpensLinkWithFragment_data()
{
    QTest::addColumn<QString>("link");
    QTest::newRow("plain") << u"http://a.example/page.html"_qs;
    QTest::newRow("fragment already there") << u"http://a.example/doc#part2"_qs;
    QTest::newRow("https") << u"https://a.example/"_qs;
}

void TestLinks::doubleClickOpensLinkWithFragment()
{
    QFETCH(QString, link);
    runFound({{u"a.example"_qs, {u"http://a.example/first"_qs, link}}});
    Form2* form = doubleClickHost(1);
    QVERIFY(form);
    FlexGrid* grid = gridOf(form);

    const QString captionBefore = h->form->windowTitle();
    doubleClickRow(grid, 2);
    QCOMPARE(browser.opened.size(), 1);
    QCOMPARE(browser.opened.first().toString(), link + u"#From:"_qs + h->server.host());
    QVERIFY(h->boxes.isEmpty());
    QCOMPARE(h->form->windowTitle(), captionBefore);
    QCOMPARE(grid->Rows(), 3);
}

void TestLinks::copyrightOpensHomePage()
{
    CaptionLabel* copyright = h->label("copyright");
    QTest::mouseClick(copyright, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(browser.opened.size(), 1);
    QCOMPARE(browser.opened.first().toString(), u"http://"_qs + h->server.host());
    QCOMPARE(copyright->caption(), h->server.host());
}

void TestLinks::emptyAddressEndsQuietly()
{
    h->Text1()->setText(u"site.example"_qs);
    h->form->linkto(QString());
    h->form->linkto(u"   "_qs);
    QVERIFY(h->boxes.isEmpty());
    QCOMPARE(h->Text1()->text(), u"site.example"_qs);
    QVERIFY(h->Command1()->isEnabled());
}

void TestLinks::resizeFitsGrid_data()
{
    QTest::addColumn<QSize>("client"); // pixels
    QTest::newRow("as designed") << QSize(648, 368);
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

    const QSize outer = form->frameGeometry().size() * twipsPerPixel;
    FlexGrid* grid = gridOf(form);
    const QRect placed = twipsGeometry(grid);
    QCOMPARE(placed.topLeft(), QPoint(120, 120));
    QCOMPARE(placed.width(), std::max(outer.width() - 360, 0));
    QCOMPARE(placed.height(), std::max(outer.height() - 720, 0));
    QCOMPARE(grid->ColWidth(1), std::max(placed.width() - 500, 0));
}

void TestLinks::closedWindowReloadsForAnotherHost()
{
    runFound({{u"a.example"_qs,
               {u"http://a.example/1"_qs, u"http://a.example/2"_qs, u"http://a.example/3"_qs}},
              {u"b.example"_qs, {u"http://b.example/only"_qs}}});
    Form2* form = doubleClickHost(1);
    QVERIFY(form);
    form->resize(800, 500);
    QTRY_COMPARE_WITH_TIMEOUT(form->size(), QSize(800, 500), 5'000);
    form->close();
    QVERIFY(!form->isVisible());

    QCOMPARE(doubleClickHost(2), form);
    QCOMPARE(form->windowTitle(), u"b.example"_qs);
    FlexGrid* grid = gridOf(form);
    QCOMPARE(grid->Rows(), 2);
    QCOMPARE(grid->TextMatrix(1, 0), u"1"_qs);
    QCOMPARE(grid->TextMatrix(1, 1), u"http://b.example/only"_qs);
    QCOMPARE(grid->TextMatrix(2, 1), QString());
    QCOMPARE(form->size(), QSize(648, 368));
    QCOMPARE(grid->ColWidth(1), pixelsToTwips(form->frameGeometry().width()) - 360 - 500);
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
    QCOMPARE(grid->ColWidth(1), pixelsToTwips(form->frameGeometry().width()) - 360 - 500);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), form, 5'000);
}

void TestLinks::hostNotInTallyShowsEmptyList()
{
    // Before any run, or while one is under way, the main grid has its header row only; the
    // double-click then picks the empty host, which the tally does not hold.
    runFound({{u"a.example"_qs, {u"http://a.example/"_qs}}});
    h->tb1()->Clear();
    h->tb1()->setRows(1);
    Q_EMIT h->tb1()->DblClick();
    Form2* form = shownLinkList();
    QVERIFY(form);
    QCOMPARE(h->form->currentDomain, QString());
    QCOMPARE(form->windowTitle(), QString());
    FlexGrid* grid = gridOf(form);
    QCOMPARE(grid->Rows(), 2);
    QCOMPARE(grid->TextMatrix(0, 1), u"双击可以打开网页"_qs);
    QCOMPARE(grid->TextMatrix(1, 0), QString());
    QCOMPARE(grid->TextMatrix(1, 1), QString());
    QVERIFY(h->boxes.isEmpty());
}

void TestLinks::closingMainWindowClosesList()
{
    runFound({{u"a.example"_qs, {u"http://a.example/"_qs}}});
    Form2* form = doubleClickHost(1);
    QVERIFY(form);
    h->form->close();
    QVERIFY(!form->isVisible());
}

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
