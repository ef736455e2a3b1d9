#include "platform/CodePage.h"
#include "platform/Twips.h"
#include "support/Form1Harness.h"
#include "support/ResultPages.h"

#include <QNetworkReply>
#include <QTest>

namespace {

constexpr auto bulletinPath = u"/qzupdate/inlink/";

// Answers the bulletin request with `body` in GB2312 and `status`, and leaves result pages
// unanswered, so that a run started by a test stays in progress.
HttpFixture::Script bulletinScript(const QString& body, int status = 200)
{
    return [body, status](const HttpFixture::Request& request) {
        return request.path == bulletinPath
                   ? HttpFixture::Reply::answer(toAnsiCodePage(body), status)
                   : HttpFixture::Reply::silence();
    };
}

} // namespace

class TestNews : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { h = std::make_unique<Form1Harness>(); }
    void cleanup() { h.reset(); }

    void requestedAtLoad();
    void reply_data();
    void reply();
    void labelsLinedUp_data();
    void labelsLinedUp();
    void click_data();
    void click();
    void replyDuringRun_data();
    void replyDuringRun();

private:
    CaptionLabel* news(int i) const
    {
        return h->child<CaptionLabel>(qPrintable(u"news%1"_qs.arg(i)));
    }
    QStringList captions() const;
    // Waits until every request the window sent has been answered and handled.
    bool repliesHandled() const;

    std::unique_ptr<Form1Harness> h;
};

QStringList TestNews::captions() const
{
    QStringList result;
    for (int i = 0; i < 4; ++i)
        result.append(news(i)->caption());
    return result;
}

bool TestNews::repliesHandled() const
{
    // A reply goes away once its handler has run.
    return QTest::qWaitFor([this] { return h->form->findChildren<QNetworkReply*>().isEmpty(); },
                           10'000);
}

void TestNews::requestedAtLoad()
{
    // Nothing but the window's construction has happened.
    QTRY_COMPARE_WITH_TIMEOUT(h->server.requests().size(), 1, 10'000);
    const HttpFixture::Request request = h->server.requests().first();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.path, u"/qzupdate/inlink/"_qs);
    QCOMPARE(request.query.toString(), u"ver=200912290"_qs);
    QVERIFY(repliesHandled());
    QCOMPARE(h->server.requests().size(), 1); // asked once, no retry
}

void TestNews::reply_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("enabled"); // Command1 afterwards
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("links");

    const QStringList none{QString(), QString(), QString(), QString()};
    QTest::newRow("equal version, two items")
        << 200 << u"200912290{update}A[Q|Z]L1{Q|Z}B[Q|Z]L2"_qs << true
        << QStringList{u"A"_qs, u"B"_qs, QString(), QString()} << QStringList{u"L1"_qs, u"L2"_qs};
    QTest::newRow("newer version, one item")
        << 200 << u"200912291{update}A[Q|Z]L1"_qs << false
        << QStringList{u"A"_qs, QString(), QString(), QString()} << QStringList{u"L1"_qs};
    QTest::newRow("newer version, two markers")
        << 200 << u"200912291{update}A[Q|Z]L1{update}B[Q|Z]L2"_qs << false << none << QStringList();
    QTest::newRow("no version, news kept")
        << 200 << u"v2{update}A[Q|Z]L1"_qs << true
        << QStringList{u"A"_qs, QString(), QString(), QString()} << QStringList{u"L1"_qs};
    QTest::newRow("six items")
        << 200
        << u"200912290{update}A[Q|Z]1{Q|Z}B[Q|Z]2{Q|Z}C[Q|Z]3{Q|Z}D[Q|Z]4{Q|Z}E[Q|Z]5{Q|Z}F"_qs
        << true << QStringList{u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs}
        << QStringList{u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs};
    QTest::newRow("GB2312, an item without link")
        << 200 << u"200912290{update}新版本发布{Q|Z}外链工具[Q|Z]http://example.com/新"_qs << true
        << QStringList{u"新版本发布"_qs, u"外链工具"_qs, QString(), QString()}
        << QStringList{QString(), u"http://example.com/新"_qs};
    QTest::newRow("markers only") << 200 << u"{update}{Q|Z}[Q|Z]{Q|Z}"_qs << true << none
                                  << QStringList{QString(), QString(), QString()};
    QTest::newRow("thousands of items")
        << 200 << u"200912290{update}"_qs + u"新闻[Q|Z]L{Q|Z}"_qs.repeated(5000) << true
        << QStringList(4, u"新闻"_qs) << QStringList(4, u"L"_qs);
    QTest::newRow("huge caption")
        << 200 << u"200912290{update}"_qs + u"新闻"_qs.repeated(2 << 20) + u"[Q|Z]L"_qs << true
        << QStringList{u"新闻"_qs.repeated(2048), QString(), QString(), QString()}
        << QStringList{u"L"_qs};
    QTest::newRow("status 404") << 404 << u"200912291{update}A[Q|Z]L1"_qs << true << none
                                << QStringList();
}

void TestNews::reply()
{
    QFETCH(int, status);
    QFETCH(QString, body);
    QFETCH(bool, enabled);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, links);

    h->server.setScript(bulletinScript(body, status));
    QVERIFY(repliesHandled());
    QCOMPARE(h->Command1()->isEnabled(), enabled);
    QCOMPARE(this->captions(), captions);
    QCOMPARE(h->form->newsLinkArr, links);
    QVERIFY(h->boxes.isEmpty());
}

void TestNews::labelsLinedUp_data()
{
    QTest::addColumn<QString>("body");
    QTest::newRow("four items")
        << u"0{update}短[Q|Z]a{Q|Z}B[Q|Z]b{Q|Z}一条很长的新闻标题[Q|Z]c{Q|Z}D[Q|Z]d"_qs;
    QTest::newRow("one item, both rows") << u"0{update}Only one item here[Q|Z]a"_qs;
}

void TestNews::labelsLinedUp()
{
    QFETCH(QString, body);
    h->server.setScript(bulletinScript(body));
    QVERIFY(repliesHandled());

    const int gap = twipsToPixels(200);
    for (int first : {0, 2}) {
        CaptionLabel* left = news(first);
        CaptionLabel* right = news(first + 1);
        // The first label of a row stays put and fits its caption.
        QCOMPARE(left->pos(), QPoint(24, first == 0 ? 336 : 352));
        QCOMPARE(left->width(), left->sizeHint().width());
        QCOMPARE(right->x(), left->x() + left->width() + gap);
        QCOMPARE(right->y(), left->y());
    }
}

void TestNews::click_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("opened"); // empty: nothing is opened
    QTest::newRow("label 0") << 0 << u"http://one.example/a?b=1#c"_qs;
    QTest::newRow("label 1, item without link") << 1 << QString();
    QTest::newRow("label 2") << 2 << u"http://three.example/"_qs;
    QTest::newRow("label 3, no item") << 3 << QString();
}

void TestNews::click()
{
    QFETCH(int, index);
    QFETCH(QString, opened);

    BrowserCatcher catcher;

    Q_EMIT news(index)->clicked(); // before any bulletin: nothing at all
    QVERIFY(catcher.opened.isEmpty());

    h->server.setScript(bulletinScript(
        u"0{update}One[Q|Z]http://one.example/a?b=1#c{Q|Z}Two{Q|Z}Three[Q|Z]http://three.example/"_qs));
    QVERIFY(repliesHandled());
    if (news(index)->width() > 0)
        QTest::mouseClick(news(index), Qt::LeftButton);
    else
        Q_EMIT news(index)->clicked();
    QCOMPARE(catcher.opened, opened.isEmpty() ? QStringList() : QStringList{opened});
}

void TestNews::replyDuringRun_data()
{
    QTest::addColumn<QString>("version");
    QTest::newRow("newer") << u"200912291"_qs;
    QTest::newRow("equal") << u"200912290"_qs;
}

void TestNews::replyDuringRun()
{
    QFETCH(QString, version);
    h->server.setScript(bulletinScript(version + u"{update}A[Q|Z]L"_qs));
    // The bulletin is answered only once the event loop runs, so it arrives during the run.
    QTest::mouseClick(h->Command1(), Qt::LeftButton);
    QVERIFY(!h->Command1()->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(news(0)->caption(), u"A"_qs, 10'000);
    QTRY_COMPARE_WITH_TIMEOUT(h->resultRequests().size(), 1, 10'000);
    // The bulletin never turns the query on, whatever version it announces; the end of the run
    // does.
    QVERIFY(!h->Command1()->isEnabled() && h->Command2()->isEnabled());
    h->form->fetchResult(0, QString::fromUtf8(resultPage(u"1"_qs, {u"http://a.example/"_qs})));
    QVERIFY(h->Command1()->isEnabled());
}

QTEST_MAIN(TestNews)
#include "tst_news.moc"
