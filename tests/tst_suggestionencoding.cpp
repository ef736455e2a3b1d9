#include "platform/CodePage.h"
#include "publisher/SuggestionEncoding.h"

#include <QTest>

class TestSuggestionEncoding : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encode_data();
    void encode();
    void sameAsOneUnitAtATime();
    void longText();
};

void TestSuggestionEncoding::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoded");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("space") << u"a b"_qs << u"a+b"_qs;
    QTest::newRow("kept") << u"A-Z_0.9*x@"_qs << u"A-Z_0.9*x@"_qs;
    QTest::newRow("all letters and digits")
        << u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"_qs
        << u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"_qs;
    QTest::newRow("escaped signs") << u"!+%/~&=?#"_qs << u"%21%2B%25%2F%7E%26%3D%3F%23"_qs;
    QTest::newRow("CR LF") << u"\r\n"_qs << u"%0D%0A"_qs;
    QTest::newRow("tab") << u"\t"_qs << u"%09"_qs;
    QTest::newRow("Chinese") << u"中"_qs << u"%D6%D0"_qs;
    QTest::newRow("e acute") << u"é"_qs << u"%A8%A6"_qs;
    // A trail byte that looks like "@" belongs to its character.
    QTest::newRow("trail byte @") << u"丂"_qs << u"%81%40"_qs;
    QTest::newRow("outside the code page") << u"ก"_qs << u"%3F"_qs;
    QTest::newRow("surrogate pair, two units") << u"a😀b"_qs << u"a%3F%3Fb"_qs;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + u"x"_qs << u"%3Fx"_qs;
}

void TestSuggestionEncoding::encode()
{
    QFETCH(QString, text);
    QFETCH(QString, encoded);
    QCOMPARE(encodeSuggestion(text), encoded);
}

// The whole text is converted at once; that must give, for every unit of the Basic Multilingual
// Plane, what converting that unit on its own gives.
void TestSuggestionEncoding::sameAsOneUnitAtATime()
{
    QString text;
    QString expected;
    for (char32_t unit = 1; unit <= 0xFFFF; ++unit) {
        const QChar c{char16_t(unit)};
        text.append(c);
        const QByteArray bytes = toAnsiCodePage(QStringView(&c, 1));
        QVERIFY(bytes.size() == 1 || bytes.size() == 2);
        const bool kept =
            bytes.size() == 1 &&
            QByteArray("*-.@_0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")
                .contains(bytes[0]);
        if (kept)
            expected.append(QLatin1Char(bytes[0]));
        else if (bytes == " ")
            expected.append(u'+');
        else
            for (char byte : bytes)
                expected.append(u'%' +
                                QString::number(uchar(byte), 16).toUpper().rightJustified(2, u'0'));
    }
    QCOMPARE(encodeSuggestion(text), expected);
}

void TestSuggestionEncoding::longText()
{
    // Far past the 32766 units a 16-bit counter could walk.
    const QString text = QString(20'000, u'中') + QString(20'000, u'a');
    QCOMPARE(encodeSuggestion(text), u"%D6%D0"_qs.repeated(20'000) + QString(20'000, u'a'));
}

QTEST_APPLESS_MAIN(TestSuggestionEncoding)
#include "tst_suggestionencoding.moc"
