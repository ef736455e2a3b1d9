#include "http/UrlFetch.h"
#include "support/HttpFixture.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

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
        calls.append({u"fetchResult"_qs, er, html});
        Q_EMIT called();
    }
    Q_INVOKABLE void showNews(qint16 er, const QString& html)
    {
        calls.append({u"showNews"_qs, er, html});
        Q_EMIT called();
    }

Q_SIGNALS:
    void called();
};

// Servers the program does not control may answer with anything. This one speaks just enough
// HTTP to misbehave: it reads the request head, writes `head` and then `chunk` every millisecond
// until the client goes or `limit` bytes are out.
class DrippingServer : public QTcpServer {
public:
    DrippingServer(QByteArray head, QByteArray chunk, qint64 limit)
        : head_(std::move(head)), chunk_(std::move(chunk)), limit_(limit)
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                serve(socket);
        });
    }
    qint64 sent = 0;
    bool clientLeft = false;

private:
    void serve(QTcpSocket* socket)
    {
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            if (!socket->readAll().contains("\r\n\r\n"))
                return;
            socket->write(head_);
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [this, socket] {
                if (sent < limit_ && socket->bytesToWrite() <= 4 * chunk_.size())
                    sent += socket->write(chunk_);
            });
            timer->start(1);
        });
        connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            clientLeft = true;
            socket->deleteLater();
        });
    }

    QByteArray head_;
    QByteArray chunk_;
    qint64 limit_;
};

} // namespace

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
    void failureEndsWithOneCallAndAReason_data();
    void failureEndsWithOneCallAndAReason();

private:
    // Sends one request to `url` and waits for its handler.
    Receiver::Call fetch(const QString& url, const QString& method = u"GET"_qs,
                         const QString& payload = {}, const QString& charset = u"UTF-8"_qs);
    QString base() const { return u"http://"_qs + server->host(); }

    std::unique_ptr<HttpFixture> server;
    std::unique_ptr<QNetworkAccessManager> network;
    std::unique_ptr<Receiver> receiver;
    RequestLimits limits;
};

void TestUrlFetch::init()
{
    server = std::make_unique<HttpFixture>();
    network = std::make_unique<QNetworkAccessManager>();
    receiver = std::make_unique<Receiver>();
    limits = {};
    QVERIFY(server->port() != 0);
}

void TestUrlFetch::cleanup()
{
    receiver.reset();
    network.reset();
    server.reset();
}

Receiver::Call TestUrlFetch::fetch(const QString& url, const QString& method,
                                   const QString& payload, const QString& charset)
{
    QSignalSpy called(receiver.get(), &Receiver::called);
    urlfetch(*network, *receiver, url, method, payload, charset, u"fetchResult"_qs, limits);
    return called.wait(20'000) ? receiver->calls.last() : Receiver::Call{u"none"_qs, -1, {}};
}

void TestUrlFetch::headersAndBody_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QByteArray>("wireMethod");
    QTest::addColumn<bool>("contentType");
    QTest::newRow("GET") << u"GET"_qs << QString() << QByteArray("GET") << false;
    QTest::newRow("post") << u"post"_qs << u"c=a+b"_qs << QByteArray("POST") << true;
    QTest::newRow("Post without payload") << u"Post"_qs << QString() << QByteArray("POST") << true;
    QTest::newRow("GET with payload") << u"GET"_qs << u"x=1"_qs << QByteArray("GET") << false;
}

void TestUrlFetch::headersAndBody()
{
    QFETCH(QString, method);
    QFETCH(QString, payload);
    QFETCH(QByteArray, wireMethod);
    QFETCH(bool, contentType);

    QCOMPARE(fetch(base() + u"/x?y=1"_qs, method, payload).er, 0);
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
    QTest::newRow("304") << 304 << QByteArray() << qint16(1) << u"304"_qs;
    QTest::newRow("204") << 204 << QByteArray() << qint16(1) << u"204"_qs;
}

void TestUrlFetch::status()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(qint16, er);
    QFETCH(QString, html);
    server->setScript(
        [&](const HttpFixture::Request&) { return HttpFixture::Reply::answer(body, status); });
    const Receiver::Call call = fetch(base());
    QCOMPARE(call.er, er);
    QCOMPARE(call.html, html);
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
    QTest::newRow("in capitals, across lines")
        << QByteArray("<META\nCHARSET=UTF-8>") + niHaoUtf8 << u"<META\nCHARSET=UTF-8>你好"_qs;
    QTest::newRow("quote before utf-8 stays GB2312")
        << QByteArray("<meta charset=\"utf-8\">") + niHaoGb << u"<meta charset=\"utf-8\">你好"_qs;
    QTest::newRow("no marker is GB2312") << niHaoGb << u"你好"_qs;
}

void TestUrlFetch::charsetDetection()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    server->setScript(
        [&](const HttpFixture::Request&) { return HttpFixture::Reply::answer(body); });
    const Receiver::Call call = fetch(base(), u"GET"_qs, {}, QString());
    QCOMPARE(call.er, 0);
    QCOMPARE(call.html, text);
}

void TestUrlFetch::requestsInFlightCompleteIndependently()
{
    // The slow reply was asked for first; each handler still gets its own reply.
    server->setScript([](const HttpFixture::Request& request) {
        HttpFixture::Reply reply = HttpFixture::Reply::answer(request.path.toUtf8());
        reply.delayMs = request.path == u"/slow" ? 200 : 0;
        return reply;
    });
    urlfetch(*network, *receiver, base() + u"/slow"_qs, u"GET"_qs, {}, u"GB2312"_qs,
             u"showNews"_qs);
    urlfetch(*network, *receiver, base() + u"/fast"_qs, u"GET"_qs, {}, u"UTF-8"_qs,
             u"fetchResult"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(receiver->calls.size(), 2, 10'000);
    QCOMPARE(receiver->calls[0].handler + receiver->calls[0].html, u"fetchResult/fast"_qs);
    QCOMPARE(receiver->calls[1].handler + receiver->calls[1].html, u"showNews/slow"_qs);
}

void TestUrlFetch::failureEndsWithOneCallAndAReason_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("reasonContains");
    QTest::newRow("refused") << u"refused"_qs << QString();
    QTest::newRow("reset") << u"reset"_qs << QString();
    QTest::newRow("body cut short") << u"cut"_qs << QString();
    QTest::newRow("no reply in time") << u"silent"_qs << u"1 seconds"_qs;
    QTest::newRow("slow drip") << u"drip"_qs << u"seconds"_qs;
    QTest::newRow("redirect loop") << u"redirect loop"_qs << u"redirect"_qs;
    QTest::newRow("too large, declared") << u"large"_qs << u"too large"_qs;
    QTest::newRow("too large, no length") << u"large unannounced"_qs << u"too large"_qs;
    QTest::newRow("endless body") << u"endless"_qs << u"too large"_qs;
    QTest::newRow("endless chunked body") << u"endless chunked"_qs << u"too large"_qs;
}

void TestUrlFetch::failureEndsWithOneCallAndAReason()
{
    QFETCH(QString, failure);
    QFETCH(QString, reasonContains);
    limits.timeLimitMs = 1000;
    limits.maxBodyBytes = 1024 * 1024;

    server->setScript([&](const HttpFixture::Request& request) {
        HttpFixture::Reply reply;
        reply.reset = failure == u"reset";
        reply.never = failure == u"silent";
        if (failure.startsWith(u"large")) {
            reply.body = QByteArray(2 * limits.maxBodyBytes, 'x');
            reply.announceLength = failure == u"large";
        } else if (failure == u"cut") {
            reply.body = "<h1>1. <a href=\"http://a.exa";
            reply.headers = {{"Content-Length", "5000"}};
            reply.closeAfter = true;
        } else if (failure == u"redirect loop") {
            reply.status = 302;
            reply.headers = {{"Location", request.path.toUtf8()}};
        }
        return reply;
    });
    std::unique_ptr<DrippingServer> dripping;
    if (failure == u"endless")
        dripping = std::make_unique<DrippingServer>("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n",
                                                    QByteArray(64 * 1024, 'x'), LLONG_MAX);
    else if (failure == u"endless chunked")
        dripping = std::make_unique<DrippingServer>(
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
            "10000\r\n" + QByteArray(0x10000, 'x') + "\r\n", LLONG_MAX);
    else if (failure == u"drip")
        dripping = std::make_unique<DrippingServer>(
            "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n", "x", 1'000'000);
    QString url = base() + u"/page"_qs;
    if (dripping) {
        url = u"http://127.0.0.1:%1/"_qs.arg(dripping->serverPort());
    } else if (failure == u"refused") {
        // A port that was just free and has nobody listening.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        url = u"http://127.0.0.1:%1/"_qs.arg(probe.serverPort());
    }

    // The event loop keeps running while the request is under way.
    int ticks = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, this, [&] { ++ticks; });
    heartbeat.start(0); // each turn of the loop

    const Receiver::Call call = fetch(url);
    QCOMPARE(call.er, 1);
    QVERIFY2(!call.html.isEmpty() && !call.html.front().isDigit(), qPrintable(call.html));
    QVERIFY2(call.html.contains(reasonContains, Qt::CaseInsensitive), qPrintable(call.html));
    QVERIFY(ticks > 0);
    if (failure.startsWith(u"endless")) {
        // The program hung up instead of reading on.
        QTRY_VERIFY_WITH_TIMEOUT(dripping->clientLeft, 5'000);
        QVERIFY(dripping->sent < 8 * limits.maxBodyBytes);
    }
    // Once the reply is gone nothing can call again.
    QTRY_VERIFY_WITH_TIMEOUT(network->findChildren<QNetworkReply*>().isEmpty(), 5'000);
    QCOMPARE(receiver->calls.size(), 1);
}

QTEST_GUILESS_MAIN(TestUrlFetch)
#include "tst_urlfetch.moc"
