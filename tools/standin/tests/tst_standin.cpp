// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExplorerPages.h"
#include "StandinServer.h"
#include "analysis/ResultPage.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestStandin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pages();
    void server();
};

void TestStandin::pages()
{
    const QString markup = u"x\"><h1>9. <a href=\"http://e/\">共 <strong>5</strong> 条"_s;
    // site, b, total, the last result listed; a site text in markup adds no results of its own
    const std::tuple<QString, int, int, int> pages[] = {
        {u"big.example"_s, 951, 12345, 1000}, {u"Big.EXAMPLE"_s, 1, 12345, 50},
        {u"small.example"_s, 1, 37, 37},      {u"medium.example"_s, 401, 420, 420},
        {u"none.example"_s, 1, 0, 0},         {markup, 1, 462, 50}};
    for (const auto& [site, b, total, last] : pages) {
        const QString html = QString::fromUtf8(explorerPage(site, b));
        const ResultPage page = parseResultPage(html);
        QCOMPARE(explorerTotal(site), total);
        QCOMPARE(page.total.value_or(-1), std::min(total, 1000));
        QStringList listed, expected; // results b to last, each the same on whichever page
        for (const ResultPage::Result& result : page.results)
            listed << QString::number(result.number) + u' ' + result.link;
        for (int k = b; k <= last; ++k) // read as a browser reads them, "&amp;" as "&"
            expected << u"%1 %2"_s.arg(k).arg(
                explorerResult(site, k).link.replace(u"&amp;"_s, u"&"_s));
        QCOMPARE(listed, expected);
    }
    // A later round changes a part of a page's results, and the same part each time.
    const auto links = [](int round) {
        QStringList found;
        const QString html = QString::fromUtf8(explorerPage(u"big.example"_s, 1, true, round));
        for (const auto& result : parseResultPage(html).results)
            found << result.link;
        return found;
    };
    qsizetype kept = 0;
    for (qsizetype i = 0; i < 50; ++i)
        kept += links(0)[i] == links(1)[i];
    QVERIFY2(kept >= 30 && kept <= 45, qPrintable(QString::number(kept)));
    QCOMPARE(links(1), links(1));
    QVERIFY(links(1) != links(2));
}

void TestStandin::server()
{
    QTemporaryDir data;
    StandinOptions options;
    QCOMPARE(parseStandinOptions({u"standin"_s, u"--data"_s, data.path(), u"--fail-pages=51"_s,
                                  u"--fail-status=503"_s, u"--empty-pages=101"_s},
                                 options),
             QString());
    StandinServer server(options);
    const QString at = u"http://127.0.0.1:%1"_s.arg(server.listen(0));
    const QString search = u"/search?p=big.example&b="_s, box = u"/qzupdate/inlink/a/"_s,
                  news = u"/qzupdate/inlink/?ver=1"_s;
    // method, target, body; the status and a part of the answer
    const std::tuple<QByteArray, QString, QByteArray, int, QByteArray> exchanges[] = {
        {"GET", search + u"51", {}, 503, {}},
        {"GET", search + u"101", {}, 200, "start=\"101\">\n</ol>"},
        {"GET", search + u'x', {}, 400, {}},
        {"GET", news, {}, 200, "200912290{update}\xCA\xB9\xD3\xC3\xB0\xEF\xD6\xFA[Q|Z]"},
        {"POST", box, "c=%D6%D0+1%2B1%25", 200, "OK"},
        {"POST", box, "c=", 200, "OK"},
        {"POST", box, "text=hi", 400, {}}};
    QNetworkAccessManager network;
    for (const auto& [method, target, body, status, part] : exchanges) {
        const std::unique_ptr<QNetworkReply> reply(
            network.sendCustomRequest(QNetworkRequest(QUrl(at + target)), method, body));
        QVERIFY(QSignalSpy(reply.get(), &QNetworkReply::finished).wait(10'000));
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
        QVERIFY2(reply->readAll().contains(part), qPrintable(target));
    }
    QFile file(data.filePath(u"suggestions.jsonl"_s));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    QVERIFY2(stored.startsWith("{\"text\":\"中 1+1%\",\"time\":\"20") && stored.count('\n') == 2 &&
                 stored.contains("\n{\"text\":\"\",\"time\":\"20"),
             stored.constData());
}

QTEST_GUILESS_MAIN(TestStandin)
#include "tst_standin.moc"
