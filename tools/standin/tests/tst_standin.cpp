#include "Bulletin.h"
#include "ExplorerPages.h"
#include "StandinOptions.h"
#include "StandinServer.h"
#include "SuggestionStore.h"
#include "analysis/ResultPage.h"
#include "http/BytesToText.h"
#include "platform/CodePage.h"
#include "publisher/Bulletin.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A result page read by the program's own parser: the result numbers and links.
struct ParsedPage {
    QList<int> numbers;
    QStringList links;
};

ParsedPage parsePage(const QByteArray& page)
{
    const QString html = QString::fromUtf8(page);
    ParsedPage parsed;
    for (const ResultPage::Result& result : parseResultPage(html).results) {
        parsed.numbers << result.number;
        parsed.links << result.link.toString();
    }
    return parsed;
}

StandinOptions inFolder(StandinOptions options, const QString& folder)
{
    options.dataFolder = folder;
    return options;
}

// A stand-in on a free port, writing into a folder of its own.
struct Standin {
    explicit Standin(const StandinOptions& options = {})
        : server(inFolder(options, data.path())), port(server.listen(0))
    {
    }
    QTemporaryDir data;
    StandinServer server;
    quint16 port;
};

int statusOf(const QNetworkReply& reply)
{
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QByteArray totalMarker(int total)
{
    return u"共 <strong>%1</strong> 条"_s.arg(total).toUtf8();
}

} // namespace

class TestStandin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void totalsSpanTheBands();
    void pages_data();
    void pages();
    void walkMeetsWhatARealWalkMeets();
    void siteTextIsEscaped();
    void suggestionBody_data();
    void suggestionBody();
    void bulletin();
    void options_data();
    void options();
    void server_data();
    void server();
    void suggestionIsStored();
    void delayedReplyToAGoneClient();

private:
    std::unique_ptr<QNetworkReply> send(quint16 port, const QByteArray& method,
                                        const QString& target, const QByteArray& body = {});

    QNetworkAccessManager nam_;
};

std::unique_ptr<QNetworkReply> TestStandin::send(quint16 port, const QByteArray& method,
                                                 const QString& target, const QByteArray& body)
{
    QNetworkRequest request(QUrl(u"http://127.0.0.1:"_s % QString::number(port) % target));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArray("application/x-www-form-urlencoded"));
    return std::unique_ptr<QNetworkReply>(nam_.sendCustomRequest(request, method, body));
}

void TestStandin::totalsSpanTheBands()
{
    int few = 0, hundreds = 0, many = 0;
    for (int i = 0; i < 300; ++i) {
        const int total = explorerTotal(u"site%1.test"_s.arg(i));
        QVERIFY2(total >= 1, qPrintable(QString::number(i)));
        few += total < 50;
        hundreds += total >= 100 && total < 1000;
        many += total > 1000;
    }
    QVERIFY(few > 50 && hundreds > 50 && many > 50);
    QCOMPARE(few + hundreds + many, 300);
}

void TestStandin::pages_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("withResults");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("last"); // b - 1: no results

    const QString big = u"big.example"_s;
    QTest::newRow("page of result 1000") << big << 951 << true << 12345 << 1000;
    QTest::newRow("letter case ignored") << u"Big.EXAMPLE"_s << 1 << true << 12345 << 50;
    QTest::newRow("emptied page") << big << 51 << false << 12345 << 50;
    QTest::newRow("all on one page") << u"small.example"_s << 1 << true << 37 << 37;
    QTest::newRow("past the end") << u"small.example"_s << 51 << true << 37 << 50;
    QTest::newRow("last, short page") << u"medium.example"_s << 401 << true << 420 << 420;
    QTest::newRow("no results at all") << u"none.example"_s << 1 << true << 0 << 0;
}

void TestStandin::pages()
{
    QFETCH(QString, site);
    QFETCH(int, b);
    QFETCH(bool, withResults);
    QFETCH(int, total);
    QFETCH(int, last);

    const QByteArray page = explorerPage(site, b, withResults);
    QCOMPARE(page, explorerPage(site, b, withResults));
    QCOMPARE(explorerTotal(site), total);
    QVERIFY(page.contains(totalMarker(total)));
    const ParsedPage parsed = parsePage(page);
    QList<int> expected;
    for (int k = b; k <= last; ++k)
        expected << k;
    QCOMPARE(parsed.numbers, expected);
    // Result k is the same whichever page lists it.
    for (qsizetype i = 0; i < parsed.numbers.size(); ++i)
        QCOMPARE(parsed.links.at(i), explorerResult(site, parsed.numbers.at(i)).link);
}

void TestStandin::walkMeetsWhatARealWalkMeets()
{
    QStringList links, titles;
    for (int b = 1; b <= 951; b += explorerPageSize)
        links += parsePage(explorerPage(u"big.example", b)).links;
    for (int k = 1; k <= 1000; ++k)
        titles << explorerResult(u"big.example", k).title;
    QCOMPARE(links.size(), 1000);

    QHash<QString, int> perHost;
    bool noSlash = false, https = false, twice = false, redirect = false, entity = false;
    for (qsizetype i = 0; i < links.size(); ++i) {
        const QString& link = links.at(i);
        const QString host = QUrl(link).host();
        QVERIFY2(host.endsWith(u".example") || host.endsWith(u".test"), qPrintable(link));
        const QString derived = hostOfLink(link).toString();
        if (!derived.isEmpty())
            ++perHost[derived];
        noSlash |= link.startsWith(u"http://") && derived.isEmpty();
        https |= link.startsWith(u"https://");
        twice |= i > 0 && links.at(i - 1) == link;
        redirect |= link.indexOf(u"http://", 1) > 0;
        entity |= link.contains(u"&amp;");
    }
    QVERIFY(noSlash && https && twice && redirect && entity);
    QVERIFY(std::any_of(perHost.keyBegin(), perHost.keyEnd(), [&](const QString& h) {
        return h == h.toUpper() && perHost.contains(h.toLower()) && h != h.toLower();
    }));
    QVERIFY(std::any_of(titles.cbegin(), titles.cend(), [](const QString& t) {
        return std::any_of(t.cbegin(), t.cend(), [](QChar c) { return c.unicode() >= 0x4e00; });
    }));

    // Skewed: a few hosts with many links, a long tail with one.
    const QList<int> counts = perHost.values();
    QVERIFY(*std::max_element(counts.cbegin(), counts.cend()) > 150);
    QVERIFY(std::count(counts.cbegin(), counts.cend(), 1) > 100);
}

void TestStandin::siteTextIsEscaped()
{
    const QString site = u"x\"><h1>999. <a href=\"http://evil.test/\">共 <strong>5</strong> 条"_s;
    const QByteArray page = explorerPage(site, 1);
    QCOMPARE(parseResultPage(QString::fromUtf8(page)).total,
             std::min(explorerTotal(site), resultCap));
    const ParsedPage parsed = parsePage(page);
    QVERIFY(!parsed.links.contains(u"http://evil.test/"_s));
    QVERIFY(!parsed.numbers.contains(999));
}

void TestStandin::suggestionBody_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("hasField");
    QTest::addColumn<QString>("text");
    QTest::newRow("code page 936, plus and escaped plus")
        << QByteArray("c=%D6%D0+1%2B1%25") << true << u"中 1+1%"_s;
    QTest::newRow("empty box") << QByteArray("c=") << true << QString();
    QTest::newRow("other fields around") << QByteArray("x=1&c=%C4%E3%BA%C3&y") << true << u"你好"_s;
    QTest::newRow("no field c") << QByteArray("text=hello") << false << QString();
}

void TestStandin::suggestionBody()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, hasField);
    QFETCH(QString, text);
    const std::optional<QString> decoded = decodeSuggestionBody(body);
    QCOMPARE(decoded.has_value(), hasField);
    if (hasField)
        QCOMPARE(*decoded, text);
}

void TestStandin::bulletin()
{
    const QByteArray body = bulletinBody(200912291);
    QVERIFY2(!body.contains('?'), "a caption the code page cannot hold");
    QVERIFY(QString::fromUtf8(body).contains(QChar::ReplacementCharacter)); // not UTF-8

    // Four items, read by the program's own parser (which would drop a fifth).
    const QString text = bytesToText(body, u"GB2312");
    QCOMPARE(text.count(u"{Q|Z}"_s), 3);
    const Bulletin parsed = parseBulletin(text);
    QCOMPARE(parsed.version, 200912291);
    for (const NewsItem& item : parsed.items) {
        QVERIFY(!item.caption.isEmpty() && item.caption.size() <= 6);
        QVERIFY2(item.link && QUrl(*item.link).host().endsWith(u".example"),
                 qPrintable(item.caption));
    }
}

void TestStandin::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("parsed"); // empty: refused

    QTest::newRow("defaults") << QStringList() << u"8700 . 200912290 0 [] 500 []"_s;
    QTest::newRow("all set") << QStringList{u"--port"_s,           u"0"_s,
                                            u"--data=/tmp/x"_s,    u"--news-version=200912291"_s,
                                            u"--delay=250"_s,      u"--fail-pages"_s,
                                            u"101, 51"_s,          u"--fail-status=503"_s,
                                            u"--empty-pages=151"_s}
                             << u"0 /tmp/x 200912291 250 [51,101] 503 [151]"_s;
    QTest::newRow("port too big") << QStringList{u"--port=70000"_s} << QString();
    QTest::newRow("page list with a word") << QStringList{u"--empty-pages=51,x"_s} << QString();
    QTest::newRow("unknown option") << QStringList{u"--verbose"_s} << QString();
}

void TestStandin::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, parsed);
    StandinOptions o;
    const QString problem = parseStandinOptions(QStringList{u"ostrel-standin"_s} + arguments, o);
    QCOMPARE(problem.isEmpty(), !parsed.isEmpty());
    const auto list = [](const QSet<int>& pages) -> QString {
        QList<int> sorted(pages.cbegin(), pages.cend());
        std::sort(sorted.begin(), sorted.end());
        QStringList texts;
        for (const int b : sorted)
            texts << QString::number(b);
        return u'[' + texts.join(u',') + u']';
    };
    if (problem.isEmpty())
        QCOMPARE(QStringList({QString::number(o.port), o.dataFolder, QString::number(o.newsVersion),
                              QString::number(o.delayMs), list(o.failingPages),
                              QString::number(o.failStatus), list(o.emptyPages)})
                     .join(u' '),
                 parsed);
}

void TestStandin::server_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType"); // empty: not checked
    QTest::addColumn<QByteArray>("contains");

    const auto row = [](const char* name, const QString& target, int status,
                        const QByteArray& contentType = {}, const QByteArray& contains = {}) {
        QTest::newRow(name) << QByteArray("GET") << target << QByteArray() << status << contentType
                            << contains;
    };
    const QByteArray html = "text/html; charset=utf-8";
    const QString search = u"/search?bwm=i&bwmf=s&bwmo=s&p="_s;
    row("result page", search + u"small.example&b=1", 200, html, "共 <strong>37</strong> 条");
    row("Chinese site", search + u"中文.example&b=1", 200, html, "链接到 中文.example 的网页");
    row("failing page", search + u"big.example&b=51", 503);
    row("emptied page", search + u"big.example&b=101", 200, html, "<strong>12345</strong>");
    row("b missing", search + u"big.example", 400);
    row("b not a number", search + u"big.example&b=abc", 400);
    row("b past int", search + u"big.example&b=99999999999", 400);
    row("huge p", search + QString(3000, u'a') + u"&b=1", 400);
    row("unknown path", u"/nothing"_s, 404);
    row("bulletin", u"/qzupdate/inlink/?ver=200912290"_s, 200, "text/plain; charset=gb2312",
        toAnsiCodePage(u"200912290{update}使用帮助[Q|Z]"));
    QTest::newRow("suggestion without c")
        << QByteArray("POST") << u"/qzupdate/inlink/a/"_s << QByteArray("text=hi") << 400
        << QByteArray() << QByteArray();
}

void TestStandin::server()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, target);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, contains);

    StandinOptions options;
    options.failingPages = {51};
    options.failStatus = 503;
    options.emptyPages = {101};
    Standin standin(options);
    QSignalSpy logged(&standin.server, &StandinServer::logLine);

    const auto reply = send(standin.port, method, target, body);
    QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 5000);
    QCOMPARE(statusOf(*reply), status);
    if (!contentType.isEmpty())
        QCOMPARE(reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), contentType);
    const QByteArray answer = reply->readAll();
    QVERIFY(answer.contains(contains));
    if (target.contains(u"b=101"))
        QVERIFY(!answer.contains("<h1>"));
    QCOMPARE(logged.size(), 1);
    QVERIFY(logged.at(0).at(0).toString().endsWith(u' ' + QString::number(status)));
}

void TestStandin::suggestionIsStored()
{
    Standin standin;
    for (const QByteArray& body : {QByteArray("c=%D6%D0+ok"), QByteArray("c=second%0D%0Aline")}) {
        const auto reply = send(standin.port, "POST", u"/qzupdate/inlink/a/"_s, body);
        QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 5000);
        QCOMPARE(statusOf(*reply), 200);
    }

    QFile file(standin.data.filePath(u"suggestions.jsonl"_s));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 3); // two lines and the empty rest after the last break
    QVERIFY(lines.at(0).contains("\"text\":\"中 ok\"")); // UTF-8, not \u escapes
    const QJsonObject second = QJsonDocument::fromJson(lines.at(1)).object();
    QCOMPARE(second.value(u"text"_s).toString(), u"second\r\nline"_s);
    QVERIFY(QDateTime::fromString(second.value(u"time"_s).toString(), Qt::ISODate).isValid());
}

void TestStandin::delayedReplyToAGoneClient()
{
    StandinOptions options;
    options.delayMs = 300;
    Standin standin(options);
    QSignalSpy logged(&standin.server, &StandinServer::logLine);

    // A client that hangs up while its reply is held back, then one that waits for it.
    QTcpSocket gone;
    QSignalSpy connected(&gone, &QTcpSocket::connected);
    gone.connectToHost(QHostAddress::LocalHost, standin.port);
    QVERIFY(connected.wait(5000));
    gone.write("GET /search?p=big.example&b=1 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    gone.disconnectFromHost();
    const auto waited = send(standin.port, "GET", u"/search?p=big.example&b=51"_s);
    QTRY_VERIFY_WITH_TIMEOUT(waited->isFinished(), 5000);
    QCOMPARE(statusOf(*waited), 200);
    QTRY_COMPARE_WITH_TIMEOUT(logged.size(), 2, 5000);
    QStringList lines = {logged.at(0).at(0).toString(), logged.at(1).at(0).toString()};
    lines.sort();
    QCOMPARE(lines, QStringList({u"GET /search?p=big.example&b=1 200 (client gone)"_s,
                                 u"GET /search?p=big.example&b=51 200"_s}));
}

QTEST_GUILESS_MAIN(TestStandin)
#include "tst_standin.moc"
