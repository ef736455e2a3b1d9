#include "http/UrlFetch.h"
#include "support/HttpFixture.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

// Stands in for the main window: takes replies by handler name.
class Receiver : public QObject {
    Q_OBJECT
public:
    struct Call {
        QString handler;
        qint16 er;
        QString html;
    };
    QList<Call> calls;

    Q_INVOKABLE void fetchResult(qint16 er, const QString& html)
    {
        record(u"fetchResult", er, html);
    }
    Q_INVOKABLE void showNews(qint16 er, const QString& html) { record(u"showNews", er, html); }

Q_SIGNALS:
    void called();

private:
    void record(QStringView handler, qint16 er, const QString& html)
    {
        calls.append({handler.toString(), er, html});
        Q_EMIT called();
    }
};

class TestUrlFetch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void headersAndBody_data();
    void headersAndBody();
    void status_data();
    void status();
    void charsetDetection_data();
    void charsetDetection();
    void requestsInFlightCompleteIndependently();
    void failureWithoutStatus_data();
    void failureWithoutStatus();
    void tooLargeReplyIsCutOff_data();
    void tooLargeReplyIsCutOff();

private:
    // Sends one request to the fixture and waits for its handler.
    Receiver::Call fetchOne(const QString& path, const QString& method = QStringLiteral("GET"),
                            const QString& payload = {}, const QString& charset = u"UTF-8"_qs,
                            const RequestLimits& limits = {});

    std::unique_ptr<HttpFixture> server;
    std::unique_ptr<QNetworkAccessManager> network;
    std::unique_ptr<Receiver> receiver;
};

void TestUrlFetch::init()
{
    server = std::make_unique<HttpFixture>();
    network = std::make_unique<QNetworkAccessManager>();
    receiver = std::make_unique<Receiver>();
    QVERIFY(server->port() != 0);
}

void TestUrlFetch::cleanup()
{
    receiver.reset();
    network.reset();
    server.reset();
}

Receiver::Call TestUrlFetch::fetchOne(const QString& path, const QString& method,
                                      const QString& payload, const QString& charset,
                                      const RequestLimits& limits)
{
    const qsizetype before = receiver->calls.size();
    urlfetch(*network, *receiver, u"http://"_qs + server->host() + path, method, payload, charset,
             u"fetchResult"_qs, limits);
    if (!QTest::qWaitFor([&] { return receiver->calls.size() > before; }, 10'000))
        return {u"none"_qs, -1, {}};
    return receiver->calls.last();
}

void TestUrlFetch::headersAndBody_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QByteArray>("wireMethod");
    QTest::addColumn<bool>("contentType");
    QTest::newRow("GET") << u"GET"_qs << QString() << QByteArray("GET") << false;
    QTest::newRow("post") << u"post"_qs << u"c=a+b"_qs << QByteArray("POST") << true;
    QTest::newRow("POST") << u"POST"_qs << u"c="_qs << QByteArray("POST") << true;
    QTest::newRow("Post") << u"Post"_qs << u"c=x"_qs << QByteArray("POST") << true;
    QTest::newRow("post without payload") << u"post"_qs << QString() << QByteArray("POST") << true;
    QTest::newRow("GET with payload") << u"GET"_qs << u"x=1"_qs << QByteArray("GET") << false;
}

void TestUrlFetch::headersAndBody()
{
    QFETCH(QString, method);
    QFETCH(QString, payload);
    QFETCH(QByteArray, wireMethod);
    QFETCH(bool, contentType);

    const Receiver::Call call = fetchOne(u"/x?y=1"_qs, method, payload);
    QCOMPARE(call.er, 0);
    QCOMPARE(server->requests().size(), 1);
    const HttpFixture::Request& request = server->requests().first();
    QCOMPARE(request.method, wireMethod);
    QCOMPARE(request.path, u"/x"_qs);
    QCOMPARE(request.header("If-Modified-Since"), QByteArray("0"));
    QCOMPARE(request.header("Content-Type"),
             contentType ? QByteArray("application/x-www-form-urlencoded") : QByteArray());
    QCOMPARE(request.body, payload.toUtf8());
}

void TestUrlFetch::status_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<qint16>("er");
    QTest::addColumn<QString>("html");
    QTest::newRow("200") << 200 << QByteArray("\xE4\xBD\xA0") << qint16(0) << u"你"_qs;
    QTest::newRow("200 empty") << 200 << QByteArray() << qint16(0) << QString();
    QTest::newRow("404") << 404 << QByteArray("gone") << qint16(1) << u"404"_qs;
    QTest::newRow("500") << 500 << QByteArray("oops") << qint16(1) << u"500"_qs;
    QTest::newRow("304") << 304 << QByteArray() << qint16(1) << u"304"_qs;
    QTest::newRow("204") << 204 << QByteArray() << qint16(1) << u"204"_qs;
}

void TestUrlFetch::status()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(qint16, er);
    QFETCH(QString, html);
    server->setScript([&](const HttpFixture::Request&) {
        HttpFixture::Reply reply;
        reply.status = status;
        reply.body = body;
        return reply;
    });
    const Receiver::Call call = fetchOne(u"/"_qs);
    QCOMPARE(call.handler, u"fetchResult"_qs);
    QCOMPARE(call.er, er);
    QCOMPARE(call.html, html);
    QCOMPARE(receiver->calls.size(), 1);
}

void TestUrlFetch::charsetDetection_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    const QByteArray niHaoUtf8("\xE4\xBD\xA0\xE5\xA5\xBD");
    const QByteArray niHaoGb("\xC4\xE3\xBA\xC3");
    QTest::newRow("utf-8 meta")
        << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">") +
               niHaoUtf8
        << u"<meta http-equiv=\"Content-Type\" content=\"text/html; "
           u"charset=utf-8\">你好"_qs;
    QTest::newRow("utf-8 meta in capitals")
        << QByteArray("<META CONTENT=\"TEXT/HTML; CHARSET=UTF-8\">") + niHaoUtf8
        << u"<META CONTENT=\"TEXT/HTML; CHARSET=UTF-8\">你好"_qs;
    QTest::newRow("meta across lines")
        << QByteArray("<meta\ncharset=utf-8>") + niHaoUtf8 << u"<meta\ncharset=utf-8>你好"_qs;
    QTest::newRow("quote before utf-8 stays GB2312")
        << QByteArray("<meta charset=\"utf-8\">") + niHaoGb << u"<meta charset=\"utf-8\">你好"_qs;
    QTest::newRow("no marker is GB2312") << niHaoGb << u"你好"_qs;
    QTest::newRow("gb2312 meta") << QByteArray("<meta charset=gb2312>") + niHaoGb
                                 << u"<meta charset=gb2312>你好"_qs;
}

void TestUrlFetch::charsetDetection()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    server->setScript([&](const HttpFixture::Request&) {
        HttpFixture::Reply reply;
        reply.body = body;
        return reply;
    });
    const Receiver::Call call = fetchOne(u"/"_qs, u"GET"_qs, {}, QString());
    QCOMPARE(call.er, 0);
    QCOMPARE(call.html, text);
}

void TestUrlFetch::requestsInFlightCompleteIndependently()
{
    // The slow reply was asked for first; each handler still gets its own reply.
    server->setScript([](const HttpFixture::Request& request) {
        HttpFixture::Reply reply;
        reply.body = request.path.toUtf8();
        reply.delayMs = request.path == u"/slow" ? 200 : 0;
        return reply;
    });
    const QString base = u"http://"_qs + server->host();
    urlfetch(*network, *receiver, base + u"/slow"_qs, u"GET"_qs, {}, u"GB2312"_qs, u"showNews"_qs);
    urlfetch(*network, *receiver, base + u"/fast"_qs, u"GET"_qs, {}, u"UTF-8"_qs,
             u"fetchResult"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(receiver->calls.size(), 2, 10'000);
    QCOMPARE(receiver->calls[0].handler, u"fetchResult"_qs);
    QCOMPARE(receiver->calls[0].html, u"/fast"_qs);
    QCOMPARE(receiver->calls[1].handler, u"showNews"_qs);
    QCOMPARE(receiver->calls[1].html, u"/slow"_qs);
}

void TestUrlFetch::failureWithoutStatus_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("refused") << u"refused"_qs;
    QTest::newRow("reset") << u"reset"_qs;
    QTest::newRow("cut short") << u"cut"_qs;
    QTest::newRow("no reply in time") << u"never"_qs;
}

void TestUrlFetch::failureWithoutStatus()
{
    QFETCH(QString, what);
    server->setScript([&](const HttpFixture::Request&) {
        HttpFixture::Reply reply;
        reply.reset = what == u"reset";
        reply.never = what == u"never";
        if (what == u"cut") {
            reply.body = "only a part";
            reply.headers = {{"Content-Length", "1000"}};
            reply.closeAfter = true;
        }
        return reply;
    });
    QString path = u"/"_qs;
    if (what == u"refused") {
        // A port that was just free and has nobody listening.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        urlfetch(*network, *receiver, u"http://127.0.0.1:%1/"_qs.arg(port), u"GET"_qs, {},
                 u"UTF-8"_qs, u"fetchResult"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(receiver->calls.size(), 1, 10'000);
    } else {
        RequestLimits limits;
        limits.timeLimitMs = 300;
        fetchOne(path, u"GET"_qs, {}, u"UTF-8"_qs, limits);
    }
    QCOMPARE(receiver->calls.size(), 1);
    QCOMPARE(receiver->calls[0].er, 1);
    QVERIFY2(!receiver->calls[0].html.isEmpty(), "a failure says why");
    bool isNumber = false;
    receiver->calls[0].html.toInt(&isNumber);
    QVERIFY2(!isNumber, qPrintable(receiver->calls[0].html));
    if (what == u"never")
        QVERIFY(receiver->calls[0].html.contains(u"0.3 seconds"));
    // Nothing comes after the one call.
    QTest::qWait(50);
    QCOMPARE(receiver->calls.size(), 1);
}

void TestUrlFetch::tooLargeReplyIsCutOff_data()
{
    QTest::addColumn<bool>("declared");
    QTest::newRow("declared by Content-Length") << true;
    QTest::newRow("no length, found while reading") << false;
}

void TestUrlFetch::tooLargeReplyIsCutOff()
{
    QFETCH(bool, declared);
    RequestLimits limits;
    limits.maxBodyBytes = 64 * 1024;
    server->setScript([&](const HttpFixture::Request&) {
        HttpFixture::Reply reply;
        reply.body = QByteArray(100 * 1024, 'x');
        reply.announceLength = declared;
        return reply;
    });
    const Receiver::Call call = fetchOne(u"/"_qs, u"GET"_qs, {}, u"UTF-8"_qs, limits);
    QCOMPARE(call.er, 1);
    QVERIFY2(call.html.contains(u"too large"), qPrintable(call.html));
}

QTEST_GUILESS_MAIN(TestUrlFetch)
#include "tst_urlfetch.moc"
