#include "http/BytesToText.h"
#include "platform/CodePage.h"
#include "platform/Twips.h"

#include <QRegularExpression>
#include <QTest>

class TestConversions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundHalfEven_data();
    void roundHalfEven();
    void centredOrigin_data();
    void centredOrigin();
    void bytesToText_data();
    void bytesToText();
    void ansiCodePage_data();
    void ansiCodePage();
    void declaresUtf8_data();
    void declaresUtf8();
};

void TestConversions::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");
    QTest::newRow("7.5 to even 8") << 7.5 << 8;
    QTest::newRow("8.5 to even 8") << 8.5 << 8;
    QTest::newRow("0.5 to 0") << 0.5 << 0;
    QTest::newRow("-0.5 to 0") << -0.5 << 0;
    QTest::newRow("-1.5 to -2") << -1.5 << -2;
    QTest::newRow("below half") << 86.49 << 86;
    QTest::newRow("above half") << 86.51 << 87;
}

void TestConversions::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(::roundHalfEven(value), rounded);
}

void TestConversions::centredOrigin_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("origin");
    QTest::newRow("even") << QSize(12000, 9000) << QSize(6000, 5000) << QPoint(3000, 2000);
    QTest::newRow("halves go to even") << QSize(15, 17) << QSize(0, 0) << QPoint(8, 8);
    QTest::newRow("larger than the screen")
        << QSize(3000, 3000) << QSize(6705, 6600) << QPoint(-1852, -1800);
}

void TestConversions::centredOrigin()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, window);
    QFETCH(QPoint, origin);
    QCOMPARE(::centredOrigin(screen, window), origin);
}

void TestConversions::bytesToText_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("charset");
    QTest::addColumn<QString>("text");
    const QString niHao = QStringLiteral("你好");
    QTest::newRow("gb2312") << QByteArray("\xC4\xE3\xBA\xC3") << QStringLiteral("gb2312") << niHao;
    QTest::newRow("GB2312") << QByteArray("\xC4\xE3\xBA\xC3") << QStringLiteral("GB2312") << niHao;
    QTest::newRow("utf-8") << QByteArray("\xE4\xBD\xA0\xE5\xA5\xBD") << QStringLiteral("utf-8")
                           << niHao;
    QTest::newRow("UTF-8") << QByteArray("\xE4\xBD\xA0\xE5\xA5\xBD") << QStringLiteral("UTF-8")
                           << niHao;
    QTest::newRow("empty body") << QByteArray() << QStringLiteral("UTF-8") << QString();
    // GBK characters outside GB2312 proper: a Chinese system reads "GB2312" pages as GBK.
    QTest::newRow("GBK beyond GB2312")
        << QByteArray("\x81\x40") << QStringLiteral("GB2312") << QStringLiteral("丂");
    QTest::newRow("bad UTF-8 byte") << QByteArray("a\xFF"
                                                  "b")
                                    << QStringLiteral("UTF-8") << QStringLiteral("a\uFFFDb");
    QTest::newRow("bad GB2312 byte") << QByteArray("a\xFF"
                                                   "b")
                                     << QStringLiteral("GB2312") << QStringLiteral("a\uFFFDb");
    QTest::newRow("GB2312 cut inside a character")
        << QByteArray("a\xC4") << QStringLiteral("gb2312") << QStringLiteral("a\uFFFD");
    QTest::newRow("UTF-8 byte-order mark dropped")
        << QByteArray("\xEF\xBB\xBFok") << QStringLiteral("utf-8") << QStringLiteral("ok");
    QTest::newRow("unknown charset reads as UTF-8")
        << QByteArray("\xE4\xBD\xA0") << QStringLiteral("no-such-charset") << QStringLiteral("你");
    QTest::newRow("iconv suffixes are not charsets")
        << QByteArray("ok") << QStringLiteral("GBK//IGNORE") << QStringLiteral("ok");
    QTest::newRow("other iconv charset")
        << QByteArray("\xE9") << QStringLiteral("ISO-8859-1") << QStringLiteral("é");
}

void TestConversions::bytesToText()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, charset);
    QFETCH(QString, text);
    QCOMPARE(::bytesToText(body, charset), text);
}

void TestConversions::ansiCodePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII") << QStringLiteral("a.example\r\n") << QByteArray("a.example\r\n");
    QTest::newRow("中") << QStringLiteral("中") << QByteArray("\xD6\xD0");
    QTest::newRow("é") << QStringLiteral("é") << QByteArray("\xA8\xA6");
    QTest::newRow("outside the code page") << QStringLiteral("a\u0E01b") << QByteArray("a?b");
    QTest::newRow("each half of a pair") << QStringLiteral("😀") << QByteArray("??");
    QTest::newRow("lone surrogate")
        << QString(QChar(0xD800)) + QStringLiteral("x") << QByteArray("?x");
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestConversions::ansiCodePage()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toAnsiCodePage(text), bytes);
}

void TestConversions::declaresUtf8_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<bool>("declared");
    QTest::newRow("meta tag") << u"<meta content=\"text/html; charset=utf-8\">"_qs << true;
    QTest::newRow("capitals") << u"<META CONTENT=\"TEXT/HTML; CharSet=UTF-8\">"_qs << true;
    QTest::newRow("across lines") << u"<meta\ncharset=utf-8>"_qs << true;
    QTest::newRow("one character between") << u"<meta charset=utf-8"_qs << true;
    QTest::newRow("nothing between") << u"<metacharset=utf-8"_qs << false;
    QTest::newRow("closed before") << u"<meta x>charset=utf-8"_qs << false;
    QTest::newRow("quoted value") << u"<meta charset=\"utf-8\">"_qs << false;
    QTest::newRow("other charset") << u"<meta charset=gb2312>"_qs << false;
    QTest::newRow("utf-8 cut short") << u"<meta charset=utf-"_qs << false;
    QTest::newRow("no meta") << u"<p>charset=utf-8</p>"_qs << false;
    QTest::newRow("later tag") << u"<meta x> <meta charset=utf-8>"_qs << true;
    QTest::newRow("earlier meta, same tag") << u"<meta <metacharset=utf-8"_qs << true;
    QTest::newRow("run of meta") << QString(u"<meta"_qs).repeated(1000) + u"charset=utf-8"_qs
                                 << true;
    QTest::newRow("run of meta, closed")
        << QString(u"<meta"_qs).repeated(1000) + u">charset=utf-8"_qs << false;
    QTest::newRow("fullwidth letters") << u"<ｍｅｔａ charset=utf-8"_qs << false;
    QTest::newRow("empty") << QString() << false;
}

void TestConversions::declaresUtf8()
{
    QFETCH(QString, html);
    QFETCH(bool, declared);
    QCOMPARE(::declaresUtf8(html), declared);
    // The pattern the scan stands in for; it takes quadratic time on long runs of "<meta", so it
    // is kept here only as the statement of what the scan means.
    static const QRegularExpression pattern(u"<meta[^>]+charset=utf-8"_qs,
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::MultilineOption);
    QCOMPARE(pattern.match(html).hasMatch(), declared);
}

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
