// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "http/UrlFetch.h"
#include "support/HttpFixture.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <netinet/in.h>
#include <unistd.h>

// The status and body of a reply, the charset asked for, and the call "er html" as a pattern.
using Exchange = std::tuple<int, QByteArray, QString, QString>;

// The test stands in for the window, whose handlers urlfetch calls by name.
class TestHttp : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void fetchResult(qint16 er, QString s) { Q_EMIT called(u"%1 "_qs.arg(er) + s); }
    Q_INVOKABLE void showNews(qint16 er, QString s) { fetchResult(er, u"news "_qs + s); }
Q_SIGNALS:
    void called(const QString& call);
private Q_SLOTS:
    void exchange_data();
    void exchange();
    void requestsInFlight();
};

void TestHttp::exchange_data()
{
    QTest::addColumn<Exchange>("x");
    QTest::newRow("200") << Exchange{200, "\xE4\xBD\xA0", u"UTF-8"_qs, u"^0 你$"_qs};
    QTest::newRow("404") << Exchange{404, "gone", u"UTF-8"_qs, u"^1 404$"_qs};
    QTest::newRow("304") << Exchange{304, {}, u"UTF-8"_qs, u"^1 304$"_qs};
    // No charset named: GB2312, read as CP936, unless a meta tag declares UTF-8.
    QTest::newRow("GB2312") << Exchange{200, "\xC4\xE3\x81\x40", {}, u"^0 你丂$"_qs};
    QTest::newRow("meta UTF-8") << Exchange{
        200, "<META\nCharSet=UTF-8>\xE4\xBD\xA0", {}, u"^0 <META\nCharSet=UTF-8>你$"_qs};
    QTest::newRow("named wins") << Exchange{200, "<meta charset=utf-8>\xC4\xE3", u"gb2312"_qs,
                                            u"^0 <meta charset=utf-8>你$"_qs};
    // No status: a reason instead, in one call.
    const QByteArray large(2000, 'x');
    QTest::newRow("refused") << Exchange{200, {}, {}, u"^1 \\D"_qs};
    QTest::newRow("cut short") << Exchange{200, large, {}, u"^1 \\D"_qs};
    QTest::newRow("redirect loop") << Exchange{302, {}, {}, u"^1 \\D.*redirect"_qs};
    QTest::newRow("redirect within") << Exchange{307, {}, {}, u"^0 moved$"_qs};
    QTest::newRow("redirect to another port")
        << Exchange{307, {}, {}, u"^1 Redirected to another server \\(http://127.0.0.1:\\d+\\)"_qs};
    QTest::newRow("large") << Exchange{200, large, {}, u"^1 \\D.*too large"_qs};
    QTest::newRow("large, undeclared") << Exchange{200, large, {}, u"^1 \\D.*too large"_qs};
    QTest::newRow("slow") << Exchange{200, {}, {}, u"^1 \\D.*seconds"_qs};
}

void TestHttp::exchange()
{
    QFETCH(Exchange, x);
    const auto& [status, body, charset, call] = x;
    const std::string_view tag = QTest::currentDataTag();
    HttpFixture server, elsewhere;
    server.setScript([&](const HttpFixture::Request& request) {
        if (request.path == u"/moved")
            return HttpFixture::Reply::answer("moved");
        if (request.path == u"/hop") {
            HttpFixture::Reply hop = HttpFixture::Reply::answer({}, 302);
            hop.headers = {{"Location", "/moved"}};
            return hop;
        }
        HttpFixture::Reply reply = HttpFixture::Reply::answer(body, status);
        reply.never = tag == "slow";
        reply.announceLength = tag != "large, undeclared";
        reply.closeAfter = tag == "cut short";
        // Cut short of the 5000 bytes announced, or a redirect to the same path.
        reply.headers = {{tag == "cut short" ? "Content-Length" : "Location", "5000"}};
        if (tag == "redirect within")
            reply.headers = {{"Location", "/hop"}};
        if (tag == "redirect to another port")
            reply.headers = {{"Location", "http://" + elsewhere.host().toLatin1() + "/"}};
        return reply;
    });
    RequestLimits limits;
    limits.maxBodyBytes = tag.starts_with("large") ? 1000 : limits.maxBodyBytes;
    limits.timeLimitMs = tag == "slow" ? 200 : limits.timeLimitMs;
    // Bound but not listening: a connection is refused, and no other process can take the port.
    const int refusing = ::socket(AF_INET, SOCK_STREAM, 0);
    const auto closing = qScopeGuard([&] { ::close(refusing); });
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof address;
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    QVERIFY(::bind(refusing, raw, size) == 0 && ::getsockname(refusing, raw, &size) == 0);
    const quint16 port = tag == "refused" ? ntohs(address.sin_port) : server.port();
    QNetworkAccessManager network;
    QSignalSpy calls(this, &TestHttp::called);
    urlfetch(network, *this, u"http://127.0.0.1:%1/5000"_qs.arg(port), u"GET"_qs, {}, charset,
             u"fetchResult"_qs, limits);
    const QString got = calls.wait(20'000) ? calls.at(0).at(0).toString() : u"none"_qs;
    QVERIFY2(QRegularExpression(call).match(got).hasMatch(), qPrintable(got));
    for (const HttpFixture::Request& r : server.requests()) // If-Modified-Since: 0, and no form
        QCOMPARE(r.header("If-Modified-Since") + r.header("Content-Type"), "0");
    // Once the reply is gone nothing can call again.
    QTRY_VERIFY_WITH_TIMEOUT(network.findChildren<QNetworkReply*>().isEmpty(), 5'000);
    QCOMPARE(calls.size(), 1);
    QVERIFY(elsewhere.requests().isEmpty());
}

void TestHttp::requestsInFlight()
{
    // The first reply is held until the second is handled; each keeps its handler and charset.
    HttpFixture server;
    QNetworkAccessManager network;
    QSignalSpy calls(this, &TestHttp::called);
    server.setScript([&](const HttpFixture::Request& request) {
        if (request.path == u"/second")
            return HttpFixture::Reply::answer("\xE4\xBD\xA0");
        const bool held = QTest::qWaitFor([&] { return !calls.isEmpty(); }, 10'000);
        return HttpFixture::Reply::answer(held ? "\xC4\xE3" : "not held");
    });
    const QString at = u"http://"_qs + server.host();
    urlfetch(network, *this, at + u"/first", u"pOsT"_qs, {}, u"GB2312"_qs, u"showNews"_qs);
    urlfetch(network, *this, at + u"/second", u"post"_qs, u"c=%D6%D0+1"_qs, u"UTF-8"_qs,
             u"fetchResult"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 2, 20'000);
    QCOMPARE(calls.at(0).at(0).toString() + u'|' + calls.at(1).at(0).toString(), u"0 你|0 news 你");
    for (const HttpFixture::Request& r : server.requests()) { // as sent
        QCOMPARE(r.method + ' ' + r.header("If-Modified-Since") + ' ' + r.header("Content-Type"),
                 "POST 0 application/x-www-form-urlencoded");
        QCOMPARE(r.body, r.path == u"/second" ? "c=%D6%D0+1" : "");
    }
}

QTEST_GUILESS_MAIN(TestHttp)
#include "tst_http.moc"
