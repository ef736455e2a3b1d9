#include "analysis/ResultPage.h"

#include <QRegularExpression>
#include <QTest>

class TestResultPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void total_data();
    void total();
    void results_data();
    void results();
    void hostOfLink_data();
    void hostOfLink();
};

namespace {

// Results as "number link host" lines, the host in brackets so that an empty one shows.
QStringList describe(const ResultPage& page)
{
    QStringList lines;
    for (const ResultPage::Result& result : page.results)
        lines.append(QString::number(result.number) + u' ' + result.link + u" [" + result.host +
                     u']');
    return lines;
}

QString result(int number, const QString& link)
{
    return u"<h1>%1. <a href=\"%2\">title</a></h1>\n"_qs.arg(number).arg(link);
}

} // namespace

void TestResultPage::total_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("total"); // -1: no marker

    QTest::newRow("plain") << u"<p>外链 共 <strong>37</strong> 条</p>"_qs << 37;
    QTest::newRow("capped") << u"共 <strong>23817</strong> 条"_qs << 1000;
    QTest::newRow("just past 32 bits") << u"共 <strong>2147483648</strong> 条"_qs << 1000;
    QTest::newRow("far past 32 bits") << u"共 <strong>99999999999999999999</strong> 条"_qs << 1000;
    QTest::newRow("zero") << u"共 <strong>0</strong> 条"_qs << 0;
    QTest::newRow("letter case") << u"共 <STRONG>12</Strong> 条"_qs << 12;
    QTest::newRow("first marker counts")
        << u"共 <strong>5</strong> 条 共 <strong>9</strong> 条"_qs << 5;
    QTest::newRow("after a false start") << u"共 <strong>x 共 <strong>6</strong> 条"_qs << 6;
    QTest::newRow("long s folds to s") << u"共 <\u017Ftrong>7</STRONG> 条"_qs << 7;
    QTest::newRow("no digits") << u"共 <strong></strong> 条"_qs << -1;
    QTest::newRow("two spaces") << u"共  <strong>5</strong> 条"_qs << -1;
    QTest::newRow("full-width digits") << u"共 <strong>５</strong> 条"_qs << -1;
    QTest::newRow("lone surrogate") << u"共 <strong>5</strong> 条"_qs + QChar(0xD800) << -1;
}

void TestResultPage::total()
{
    QFETCH(QString, html);
    QFETCH(int, total);
    const ResultPage page = parseResultPage(html);
    QCOMPARE(page.total.value_or(-1), total);
    // The scan stands in for this pattern and must agree with it.
    static const QRegularExpression pattern(u"共 <strong>(\\d+)</strong> 条"_qs,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(html);
    QCOMPARE(page.total.has_value(), match.hasMatch());
    if (match.hasMatch() && match.capturedLength(1) < 4)
        QCOMPARE(page.total.value_or(-1), match.captured(1).toInt());
}

void TestResultPage::results_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("results");

    QTest::newRow("page order") << result(1, u"http://a.example/x"_qs) +
                                       result(2, u"http://b.example/y?q=1&amp;r=2"_qs)
                                << QStringList{u"1 http://a.example/x [a.example]"_qs,
                                               u"2 http://b.example/y?q=1&amp;r=2 [b.example]"_qs};
    QTest::newRow("letter case of markup") << u"<H1>3. <A HREF=\"http://a.example/\">"_qs
                                           << QStringList{u"3 http://a.example/ [a.example]"_qs};
    QTest::newRow("no space after the dot")
        << u"<h1>3.<a href=\"http://a.example/\">"_qs << QStringList();
    QTest::newRow("empty href") << u"<h1>3. <a href=\"\">"_qs << QStringList();
    QTest::newRow("leading zeros")
        << result(7, u"http://a.example/"_qs).replace(u"7."_qs, u"007."_qs)
        << QStringList{u"7 http://a.example/ [a.example]"_qs};
    QTest::newRow("number past 32 bits")
        << u"<h1>99999999999. <a href=\"http://a.example/\">"_qs
        << QStringList{u"2147483647 http://a.example/ [a.example]"_qs};
    QTest::newRow("host carried to a link without one")
        << result(1, u"https://s.example/"_qs) + result(2, u"http://a.example/"_qs) +
               result(3, u"http://b.example"_qs)
        << QStringList{u"1 https://s.example/ []"_qs, u"2 http://a.example/ [a.example]"_qs,
                       u"3 http://b.example [a.example]"_qs};
    QTest::newRow("quote not closing the tag")
        << u"<h1>1. <a href=\"http://a.example/\"x\">"_qs + result(2, u"http://b.example/"_qs)
        << QStringList{u"2 http://b.example/ [b.example]"_qs};
    QTest::newRow("result inside a broken one")
        << u"<h1>1. <a href=\"http://a.example/"_qs + result(2, u"http://b.example/"_qs)
        << QStringList{u"2 http://b.example/ [b.example]"_qs};
    QTest::newRow("no tag end") << u"<h1><h1>1. <a href=\"http://a.example/\""_qs << QStringList();
    QTest::newRow("surrogate pair on the page")
        << u"😀"_qs + result(1, u"http://a.example/"_qs)
        << QStringList{u"1 http://a.example/ [a.example]"_qs};
    QTest::newRow("lone surrogate on the page")
        << QString(QChar(0xDC00)) + result(1, u"http://a.example/"_qs) << QStringList();
}

void TestResultPage::results()
{
    QFETCH(QString, html);
    QFETCH(QStringList, results);
    const ResultPage page = parseResultPage(html);
    QCOMPARE(describe(page), results);
    // The scan stands in for this pattern and must find the same links in the same places.
    static const QRegularExpression pattern(u"<h1>(\\d+)\\. <a href=\"([^\"]+)\">"_qs,
                                            QRegularExpression::CaseInsensitiveOption);
    QList<QPair<qsizetype, qsizetype>> matched, scanned;
    for (const QRegularExpressionMatch& match : pattern.globalMatch(html))
        matched.append({match.capturedStart(2), match.capturedLength(2)});
    for (const ResultPage::Result& result : page.results)
        scanned.append({result.link.data() - html.constData(), result.link.size()});
    QCOMPARE(scanned, matched);
}

void TestResultPage::hostOfLink_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("host");

    QTest::newRow("plain") << u"http://www.example.com/a/b.html"_qs << u"www.example.com"_qs;
    QTest::newRow("letter case kept") << u"HTTP://WWW.Example.com/"_qs << u"WWW.Example.com"_qs;
    QTest::newRow("port and user kept") << u"http://u@a.example:8080/"_qs << u"u@a.example:8080"_qs;
    QTest::newRow("no slash after host") << u"http://a.example"_qs << QString();
    QTest::newRow("https") << u"https://a.example/"_qs << QString();
    QTest::newRow("redirect names a second address")
        << u"http://r.example/jump?to=http://t.example/x"_qs << u"r.example"_qs;
    QTest::newRow("query before the first slash")
        << u"http://a?u=http://b.example/"_qs << u"a?u=http:"_qs;
    QTest::newRow("empty host, later address")
        << u"http:///x/http://b.example/"_qs << u"b.example"_qs;
    QTest::newRow("address inside another scheme")
        << u"ftp://f.example/http://b.example/"_qs << u"b.example"_qs;
    QTest::newRow("not at the start") << u"xhttp://a/"_qs << u"a"_qs;
    QTest::newRow("scheme and slash") << u"http:///"_qs << QString();
}

void TestResultPage::hostOfLink()
{
    QFETCH(QString, link);
    QFETCH(QString, host);
    QCOMPARE(::hostOfLink(link).toString(), host);
    // The scan stands in for this pattern and must agree with it.
    static const QRegularExpression pattern(u"http:\\/\\/([^/]+)\\/"_qs,
                                            QRegularExpression::CaseInsensitiveOption);
    QCOMPARE(pattern.match(link).captured(1), host);
}

QTEST_APPLESS_MAIN(TestResultPage)
#include "tst_resultpage.moc"
