// Servers the program does not control may answer with anything, or not at all. Every request
// must still end in exactly one handler call with a readable reason, without holding an
// unbounded body and without blocking the event loop.
#include "http/UrlFetch.h"
#include "support/HttpFixture.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

// A server that speaks just enough HTTP to misbehave: it reads the request head, writes `head`
// and then `chunk` every few milliseconds until the client goes or `limit` bytes are out.
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
                if (sent >= limit_ || socket->bytesToWrite() > 4 * chunk_.size())
                    return;
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

class Receiver : public QObject {
    Q_OBJECT
public:
    QList<QPair<qint16, QString>> calls;
    Q_INVOKABLE void fetchResult(qint16 er, const QString& html) { calls.append({er, html}); }
};

} // namespace

class TestHostileServers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void endsWithOneCallAndAReason_data();
    void endsWithOneCallAndAReason();
};

void TestHostileServers::endsWithOneCallAndAReason_data()
{
    QTest::addColumn<QString>("attack");
    QTest::addColumn<QString>("reasonContains");
    QTest::newRow("endless body, no length") << u"endless"_qs << u"too large"_qs;
    QTest::newRow("endless chunked body") << u"endless chunked"_qs << u"too large"_qs;
    QTest::newRow("50 MB body") << u"50 MB"_qs << u"too large"_qs;
    QTest::newRow("slow drip") << u"drip"_qs << u"seconds"_qs;
    QTest::newRow("redirect loop") << u"redirect loop"_qs << u"redirect"_qs;
    QTest::newRow("body cut off") << u"cut"_qs << QString();
    QTest::newRow("reset") << u"reset"_qs << QString();
    QTest::newRow("no reply") << u"silent"_qs << u"seconds"_qs;
}

void TestHostileServers::endsWithOneCallAndAReason()
{
    QFETCH(QString, attack);
    QFETCH(QString, reasonContains);

    RequestLimits limits;
    limits.timeLimitMs = 1500;
    limits.maxBodyBytes = 4 * 1024 * 1024;

    HttpFixture fixture;
    fixture.setScript([&](const HttpFixture::Request& request) {
        HttpFixture::Reply reply;
        if (attack == u"50 MB")
            reply.body = QByteArray(50 * 1024 * 1024, '<');
        reply.reset = attack == u"reset";
        reply.never = attack == u"silent";
        if (attack == u"cut") {
            reply.body = "<h1>1. <a href=\"http://a.exa";
            reply.headers = {{"Content-Length", "5000"}};
            reply.closeAfter = true;
        }
        if (attack == u"redirect loop") {
            reply.status = 302;
            reply.headers = {{"Location", request.path.toUtf8()}};
        }
        return reply;
    });
    std::unique_ptr<DrippingServer> dripping;
    if (attack == u"endless")
        dripping = std::make_unique<DrippingServer>("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n",
                                                    QByteArray(64 * 1024, 'x'), LLONG_MAX);
    else if (attack == u"endless chunked")
        dripping = std::make_unique<DrippingServer>(
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
            "10000\r\n" + QByteArray(0x10000, 'x') + "\r\n", LLONG_MAX);
    else if (attack == u"drip")
        dripping = std::make_unique<DrippingServer>(
            "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n", "x", 1'000'000);

    const QString host = dripping ? u"127.0.0.1:%1"_qs.arg(dripping->serverPort()) : fixture.host();
    QNetworkAccessManager network;
    Receiver receiver;
    int ticks = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, this, [&] { ++ticks; });
    heartbeat.start(10);

    urlfetch(network, receiver, u"http://"_qs + host + u"/page"_qs, u"GET"_qs, {}, u"UTF-8"_qs,
             u"fetchResult"_qs, limits);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.calls.size(), 1, 20'000);
    QCOMPARE(receiver.calls[0].first, 1);
    const QString reason = receiver.calls[0].second;
    QVERIFY2(!reason.isEmpty() && !reason.front().isDigit(), qPrintable(reason));
    QVERIFY2(reason.contains(reasonContains, Qt::CaseInsensitive), qPrintable(reason));
    QVERIFY2(ticks > 0, "the event loop kept running while the request was under way");
    if (dripping && attack.startsWith(u"endless")) {
        // The program hung up instead of reading on.
        QTRY_VERIFY_WITH_TIMEOUT(dripping->clientLeft, 5'000);
        QVERIFY(dripping->sent < 8 * limits.maxBodyBytes);
    }
    QTest::qWait(100);
    QCOMPARE(receiver.calls.size(), 1);
}

QTEST_GUILESS_MAIN(TestHostileServers)
#include "tst_hostileservers.moc"
