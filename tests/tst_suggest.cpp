#include "platform/Twips.h"
#include "support/Form1Harness.h"
#include "ui/suggest/Form3.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

namespace {

constexpr auto suggestionPath = u"/qzupdate/inlink/a/";
const QString thanks = u"您的建议已经提交成功，我会总结所有建议意见对功能进行更新，谢谢。"_qs;

} // namespace

class TestSuggest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { h = std::make_unique<Form1Harness>(); }
    void cleanup() { h.reset(); }

    void window();
    void controlGeometry_data();
    void controlGeometry();
    void centredWhenLoaded();
    void focusAndTabOrder();
    void submit_data();
    void submit();
    void enterStartsNewLine();
    void reopening();
    void twoSuggestionsInFlight();
    void replyBox_data();
    void replyBox();

private:
    // Clicks "新功能" and returns the suggestion window it shows.
    Form3* open();
    QPlainTextEdit* text(Form3* window) const
    {
        return window->findChild<QPlainTextEdit*>(u"Text1"_qs);
    }
    QPushButton* submitButton(Form3* window) const
    {
        return window->findChild<QPushButton*>(u"Command1"_qs);
    }
    QList<HttpFixture::Request> suggestions() const;

    std::unique_ptr<Form1Harness> h;
};

Form3* TestSuggest::open()
{
    QTest::mouseClick(h->label("Label2"), Qt::LeftButton);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* form3 = qobject_cast<Form3*>(window))
            return form3;
    return nullptr;
}

QList<HttpFixture::Request> TestSuggest::suggestions() const
{
    QList<HttpFixture::Request> result;
    for (const HttpFixture::Request& request : h->server.requests())
        if (request.path == suggestionPath)
            result.append(request);
    return result;
}

void TestSuggest::window()
{
    Form3* window = open();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(!window->isModal());
    QVERIFY(!window->parentWidget()); // no owner window
    QCOMPARE(window->windowTitle(), u"建议意见"_qs);
    QCOMPARE(window->size(), QSize(312, 213));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

    QPlainTextEdit* box = text(window);
    QVERIFY(box->toPlainText().isEmpty());
    QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(window->findChild<CaptionLabel*>(u"Label1"_qs)->caption(),
             u"提交您的意见或建议(比如您需要的功能):"_qs);
    QCOMPARE(submitButton(window)->text(), u"提交"_qs);
    QVERIFY(!submitButton(window)->isDefault());
}

void TestSuggest::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels"); // at 15 twips a pixel, halves to even
    QTest::newRow("Text1") << u"Text1"_qs << QRect(16, 40, 281, 121);
    QTest::newRow("Command1") << u"Command1"_qs << QRect(104, 176, 89, 25);
}

void TestSuggest::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    Form3* window = open();
    QWidget* control = window->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), pixels);
    QCOMPARE(window->findChild<CaptionLabel*>(u"Label1"_qs)->pos(), QPoint(16, 16));
}

void TestSuggest::centredWhenLoaded()
{
    Form3* window = open();
    const QRect screen = window->screen()->geometry();
    const QSize outer = window->frameGeometry().size();
    const QPoint twips = centredOrigin({screen.width() * 15, screen.height() * 15},
                                       {outer.width() * 15, outer.height() * 15});
    QCOMPARE(window->pos(),
             screen.topLeft() + QPoint(twipsToPixels(twips.x()), twipsToPixels(twips.y())));
}

void TestSuggest::focusAndTabOrder()
{
    Form3* window = open();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(QApplication::focusWidget(), text(window));
    QTest::keyClick(text(window), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), submitButton(window));
    QVERIFY(text(window)->toPlainText().isEmpty()); // Tab typed nothing
}

void TestSuggest::submit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("empty") << QString() << QByteArray("c=");
    QTest::newRow("words") << u"a b"_qs << QByteArray("c=a+b");
    QTest::newRow("form signs") << u"x=1&c=2+3%"_qs << QByteArray("c=x%3D1%26c%3D2%2B3%25");
    QTest::newRow("Chinese") << u"加个功能"_qs << QByteArray("c=%BC%D3%B8%F6%B9%A6%C4%DC");
    QTest::newRow("two lines") << u"a\nb"_qs << QByteArray("c=a%0D%0Ab");
}

void TestSuggest::submit()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, body);

    Form3* window = open();
    text(window)->insertPlainText(typed);
    QTest::mouseClick(submitButton(window), Qt::LeftButton);
    QVERIFY(!window->isVisible()); // closed at once, before any reply

    QTRY_COMPARE_WITH_TIMEOUT(suggestions().size(), 1, 10'000);
    const HttpFixture::Request request = suggestions().first();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.query.toString(), QString());
    QCOMPARE(request.body, body);
    QCOMPARE(request.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
    QCOMPARE(request.header("If-Modified-Since"), QByteArray("0"));
    QTRY_COMPARE_WITH_TIMEOUT(h->boxes.size(), 1, 10'000);
}

void TestSuggest::enterStartsNewLine()
{
    Form3* window = open();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClicks(text(window), u"ab"_qs);
    QTest::keyClick(text(window), Qt::Key_Return);
    QTest::keyClicks(text(window), u"c"_qs);
    QTest::keyClick(text(window), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(text(window), u"d"_qs);
    QVERIFY(window->isVisible());

    QTest::mouseClick(submitButton(window), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(suggestions().size(), 1, 10'000);
    QCOMPARE(suggestions().first().body, QByteArray("c=ab%0D%0Ac%0D%0Ad"));
}

void TestSuggest::reopening()
{
    Form3* window = open();
    QTest::keyClicks(text(window), u"half done"_qs);

    // Shown again while open: the same window, the text kept, nothing sent.
    QCOMPARE(open(), window);
    QCOMPARE(text(window)->toPlainText(), u"half done"_qs);

    // Closed by hand, then opened again: empty.
    window->close();
    QCOMPARE(open(), window);
    QVERIFY(text(window)->toPlainText().isEmpty());

    QTest::keyClicks(text(window), u"sent"_qs);
    QTest::mouseClick(submitButton(window), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(open(), window);
    QVERIFY(window->isVisible());
    QVERIFY(text(window)->toPlainText().isEmpty());

    // Closing the main window closes it too.
    h->form->close();
    QVERIFY(!window->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(suggestions().size(), 1, 10'000);
}

void TestSuggest::twoSuggestionsInFlight()
{
    h->server.setScript([](const HttpFixture::Request& request) {
        HttpFixture::Reply reply;
        if (request.path == suggestionPath && request.body == "c=first")
            reply.delayMs = 300; // the first one is answered last
        return reply;
    });
    Form3* window = open();
    QTest::keyClicks(text(window), u"first"_qs);
    QTest::mouseClick(submitButton(window), Qt::LeftButton);
    window = open();
    QTest::keyClicks(text(window), u"second"_qs);
    QTest::mouseClick(submitButton(window), Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(h->boxes.size(), 2, 10'000);
    QCOMPARE(suggestions().size(), 2);
    QSet<QByteArray> bodies{suggestions()[0].body, suggestions()[1].body};
    QCOMPARE(bodies, (QSet<QByteArray>{"c=first", "c=second"}));
    for (const MessageBox::Shown& box : std::as_const(h->boxes)) {
        QCOMPARE(box.title, u"提示"_qs);
        QCOMPARE(box.text, thanks);
    }
}

void TestSuggest::replyBox_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("reset");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("reason"); // in the failure box; empty: any reason

    QTest::newRow("200") << 200 << false << u"提示"_qs << QString();
    QTest::newRow("404") << 404 << false << u"Warning"_qs << u"404"_qs;
    QTest::newRow("500") << 500 << false << u"Warning"_qs << u"500"_qs;
    QTest::newRow("connection reset") << 0 << true << u"Warning"_qs << QString();
}

void TestSuggest::replyBox()
{
    QFETCH(int, status);
    QFETCH(bool, reset);
    QFETCH(QString, title);
    QFETCH(QString, reason);

    h->server.setScript([status, reset](const HttpFixture::Request& request) {
        HttpFixture::Reply reply;
        if (request.path == suggestionPath) {
            reply.status = status;
            reply.reset = reset;
            reply.body = "ok";
        }
        return reply;
    });
    Form3* window = open();
    QTest::keyClicks(text(window), u"idea"_qs);
    QTest::mouseClick(submitButton(window), Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(h->boxes.size(), 1, 10'000);
    const MessageBox::Shown box = h->boxes.first();
    QCOMPARE(box.title, title);
    if (title == u"提示") {
        QCOMPARE(box.text, thanks);
        return;
    }
    QVERIFY(!box.text.contains(u"成功"));
    QVERIFY(box.text.contains(u"未能送达"));
    const QString given = box.text.section(u"原因："_qs, 1);
    QVERIFY2(!given.isEmpty(), qPrintable(box.text));
    if (!reason.isEmpty())
        QCOMPARE(given, reason);
}

QTEST_MAIN(TestSuggest)
#include "tst_suggest.moc"
