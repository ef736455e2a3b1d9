#include "http/BytesToText.h"
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
    void declaresUtf8_data();
    void declaresUtf8();
};

void TestConversions::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");
    QTest::newRow("7.5 to even 8") << 7.5 << 8;
    QTest::newRow("8.5 to even 8") << 8.5 << 8;
    QTest::newRow("-1.5 to -2") << -1.5 << -2;
    QTest::newRow("below half") << 86.49 << 86;
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
    const QByteArray gb("\xC4\xE3\xBA\xC3");
    const QByteArray utf8("\xE4\xBD\xA0\xE5\xA5\xBD");
    QTest::newRow("gb2312") << gb << u"gb2312"_qs << u"你好"_qs;
    QTest::newRow("GB2312") << gb << u"GB2312"_qs << u"你好"_qs;
    QTest::newRow("utf-8") << utf8 << u"utf-8"_qs << u"你好"_qs;
    QTest::newRow("UTF-8") << utf8 << u"UTF-8"_qs << u"你好"_qs;
    QTest::newRow("empty body") << QByteArray() << u"UTF-8"_qs << QString();
    // A Chinese system reads "GB2312" pages as GBK, which holds more characters.
    QTest::newRow("GBK beyond GB2312") << QByteArray("\x81\x40") << u"GB2312"_qs << u"丂"_qs;
    QTest::newRow("bad UTF-8 byte") << QByteArray("a\xFF\x62") << u"UTF-8"_qs << u"a\uFFFDb"_qs;
    QTest::newRow("bad GB2312 byte") << QByteArray("a\xFF\x62") << u"GB2312"_qs << u"a\uFFFDb"_qs;
    QTest::newRow("GB2312 cut inside a character")
        << QByteArray("a\xC4") << u"gb2312"_qs << u"a\uFFFD"_qs;
    QTest::newRow("UTF-8 byte-order mark dropped")
        << QByteArray("\xEF\xBB\xBFok") << u"utf-8"_qs << u"ok"_qs;
    QTest::newRow("unknown charset reads as UTF-8")
        << QByteArray("\xE4\xBD\xA0") << u"no-such-charset"_qs << u"你"_qs;
    QTest::newRow("iconv suffixes are not charsets")
        << QByteArray("ok") << u"GBK//IGNORE"_qs << u"ok"_qs;
    QTest::newRow("other iconv charset") << QByteArray("\xE9") << u"ISO-8859-1"_qs << u"é"_qs;
}

void TestConversions::bytesToText()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, charset);
    QFETCH(QString, text);
    QCOMPARE(::bytesToText(body, charset), text);
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
