// Pages built to hurt, from a server that answers promptly: each is read, parsed and tallied
// without a crash and the run ends as its rules say. How long each takes is measured in
// bench/bench_hostile.cpp.
#include "http/BytesToText.h"
#include "http/UrlFetch.h"
#include "support/Form1Harness.h"
#include "ui/ShownText.h"
#include "ui/links/Form2.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QTest>

namespace {

QByteArray total(const QByteArray& number)
{
    return (u"外链 共 <strong>"_qs + QLatin1StringView(number) + u"</strong> 条\n"_qs).toUtf8();
}

QByteArray result(const QByteArray& number, const QByteArray& link)
{
    return "<h1>" + number + ". <a href=\"" + link + "\">title</a></h1>\n<p>snippet</p>\n";
}

QString finished(int hosts, int links)
{
    return u"已完成,共%1个域名,%2条链接,双击域名可列出链接"_qs.arg(hosts).arg(links);
}

class Receiver : public QObject {
    Q_OBJECT
public:
    QList<QPair<qint16, QString>> calls;
    Q_INVOKABLE void fetchResult(qint16 er, const QString& html) { calls.append({er, html}); }
};

} // namespace

class TestHostilePages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resultPage_data();
    void resultPage();
    void undeclaredCharset_data();
    void undeclaredCharset();
};

void TestHostilePages::resultPage_data()
{
    QTest::addColumn<QByteArray>("page"); // the first result page; the second ends the run
    QTest::addColumn<QString>("caption"); // Label1 once the run is over
    QTest::addColumn<QStringList>("boxes");

    QByteArray manyMarkers = total("1000");
    // Every other result from one host, which so comes first, with 50 000 links to list.
    for (int i = 0; i < 100'000; ++i)
        manyMarkers += result("1", (i % 2 ? "http://h" : "http://one.example/") +
                                       QByteArray::number(i) + (i % 2 ? ".example/" : ""));
    QTest::newRow("100 000 results, none reaching the total")
        << manyMarkers << finished(50'002, 100'001) << QStringList();

    const QByteArray forty(40, '9');
    QTest::newRow("40-digit numbers")
        << total(forty) + result(forty, "http://a.example/") + result("2", "http://b.example/")
        << finished(1, 1) << QStringList();

    QTest::newRow("deep nesting") << QByteArray("<div>").repeated(200'000) + total("2") +
                                         result("1", "http://a.example/") +
                                         result("2", "http://b.example/") +
                                         QByteArray("</div>").repeated(200'000)
                                  << finished(2, 2) << QStringList();
    // Each opened link runs into the next marker; only the innermost closes.
    QTest::newRow("nested markers")
        << total("1") + QByteArray("<h1>1. <a href=\"").repeated(100'000) + "http://a.example/\">"
        << finished(1, 1) << QStringList();

    QTest::newRow("NUL bytes") << QByteArray("\0\0", 2) + total("2") +
                                      result("1", QByteArray("http://a\0b.example/", 19)) +
                                      QByteArray("\0", 1) +
                                      result("2", QByteArray("http://c.example/\0", 18))
                               << finished(2, 2) << QStringList();
    QTest::newRow("invalid UTF-8")
        << "\xFF\xFE\xC0\x80" + total("2") + result("1", "http://bad\xFF\xED\xA0\x80.example/") +
               "\xF4\x90\x80\x80" + result("2", "http://c.example/\xC3")
        << finished(2, 2) << QStringList();
    // "共" in GB2312 is no UTF-8, so the total is not found and counts as 0: the first result
    // is past it.
    QTest::newRow("GB2312 page") << "\xB9\xB2 <strong>2</strong> \xCC\xF5" +
                                        result("1", "http://a.example/") +
                                        result("2", "http://b.example/")
                                 << finished(1, 1) << QStringList{u"Not Match 1"_qs};
    QTest::newRow("a link of 1 MB")
        << total("1") + result("1", "http://" + QByteArray(1 << 20, 'a') + ".example/")
        << finished(1, 1) << QStringList();
}

void TestHostilePages::resultPage()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, caption);
    QFETCH(QStringList, boxes);

    Form1Harness h;
    h.server.setScript([&](const HttpFixture::Request& request) {
        HttpFixture::Reply reply;
        if (request.path != u"/search")
            return reply;
        reply.body = request.query.queryItemValue(u"b"_qs) == u"1"
                         ? page
                         : total("1000") + result("1000", "http://last.example/");
        return reply;
    });
    h.Text1()->setText(u"example.com"_qs);
    QTest::mouseClick(h.Command1(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(h.Command1()->isEnabled(), 60'000);

    QCOMPARE(h.label("Label1")->caption(), caption);
    QStringList shown;
    for (const MessageBox::Shown& box : std::as_const(h.boxes))
        shown.append(box.text);
    QCOMPARE(shown, boxes);
    QCOMPARE(h.tb1()->Rows(), int(h.form->dict.hosts().size()) + 1);

    // The window draws what it got, and the first host's links open in their list.
    h.form->show();
    QVERIFY(!h.form->grab().isNull());
    h.tb1()->setRow(1);
    Q_EMIT h.tb1()->DblClick();
    Form2* list = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<Form2*>(window); form && form->isVisible())
            list = form;
    QVERIFY(list);
    const QString host = h.tb1()->TextMatrix(1, 1);
    QCOMPARE(list->findChild<FlexGrid*>(u"tb1"_qs)->Rows(), h.form->dict.links(host)->size() + 1);
    QVERIFY(list->windowTitle().size() <= maxShownLength);
    QVERIFY(!list->grab().isNull());
}

void TestHostilePages::undeclaredCharset_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("utf8"); // whether the page declares UTF-8, else it is read as GB2312

    const QByteArray metas = QByteArray("<meta").repeated(2 * 1024 * 1024); // 10 MiB
    QTest::newRow("10 MB of <meta without >") << metas << false;
    QTest::newRow("10 MB of <meta, then the declaration")
        << metas + "charset=utf-8\xE4\xBD\xA0" << true;
    // Backtracking matchers take minutes over this one.
    QTest::newRow("256 KB of <meta, closed before the declaration")
        << QByteArray("<meta").repeated(50'000) + ">charset=utf-8\xC4\xE3" << false;
    QTest::newRow("NUL inside the tag")
        << QByteArray("<meta\0charset=utf-8>\xE4\xBD\xA0", 23) << true;
    QTest::newRow("invalid GB2312") << QByteArray("\xFF\x80<meta charset=gb2312>\xC4") << false;
}

void TestHostilePages::undeclaredCharset()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, utf8);

    HttpFixture server;
    server.setScript([&](const HttpFixture::Request&) {
        HttpFixture::Reply reply;
        reply.body = body;
        return reply;
    });
    QNetworkAccessManager network;
    Receiver receiver;
    urlfetch(network, receiver, u"http://"_qs + server.host() + u"/"_qs, u"GET"_qs, {}, QString(),
             u"fetchResult"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.calls.size(), 1, 60'000);
    QCOMPARE(receiver.calls[0].first, 0);
    QVERIFY(receiver.calls[0].second == bytesToText(body, utf8 ? u"utf-8" : u"gb2312"));
}

int main(int argc, char** argv)
{
    // Without its compiler the matcher interprets patterns, as on systems that allow no
    // executable memory; there every pattern that backtracks shows it. Qt reads this once, before
    // the first match, so it is set before anything else runs.
    qputenv("QT_ENABLE_REGEXP_JIT", "0");
    QApplication app(argc, argv);
    TestHostilePages test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_hostilepages.moc"
