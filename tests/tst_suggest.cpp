#include "support/Form1Harness.h"
#include "ui/suggest/Form3.h"

#include <QPlainTextEdit>
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
    void submit_data();
    void submit();
    void keyboard();
    void reopening();
    void twoSuggestionsInFlightAreThanked();
    void failureBox_data();
    void failureBox();

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
    return shownWindow<Form3>();
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
    QVERIFY(!window->isModal() && !window->parentWidget()); // no owner window
    QCOMPARE(window->windowTitle(), u"建议意见"_qs);
    QCOMPARE(window->size(), QSize(312, 213));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(!(window->windowFlags() & Qt::WindowMinMaxButtonsHint));
    QCOMPARE(window->pos(), centredPosition(window));

    // At 15 twips a pixel, halves to even.
    QPlainTextEdit* box = text(window);
    QCOMPARE(box->geometry(), QRect(16, 40, 281, 121));
    QVERIFY(box->toPlainText().isEmpty());
    QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    auto* label = window->findChild<CaptionLabel*>(u"Label1"_qs);
    QCOMPARE(label->pos(), QPoint(16, 16));
    QCOMPARE(label->caption(), u"提交您的意见或建议(比如您需要的功能):"_qs);
    QCOMPARE(submitButton(window)->geometry(), QRect(104, 176, 89, 25));
    QCOMPARE(submitButton(window)->text(), u"提交"_qs);
    QVERIFY(!submitButton(window)->isDefault());
}

void TestSuggest::submit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("empty") << QString() << QByteArray("c=");
    QTest::newRow("Chinese and signs")
        << u"加个 功能&c=1"_qs << QByteArray("c=%BC%D3%B8%F6+%B9%A6%C4%DC%26c%3D1");
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
    QCOMPARE(request.body, body);
    QCOMPARE(request.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
}

void TestSuggest::keyboard()
{
    // The text box has the focus; Enter starts a new line, Tab moves on to the button.
    Form3* window = open();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(QApplication::focusWidget(), text(window));
    QTest::keyClicks(text(window), u"ab"_qs);
    QTest::keyClick(text(window), Qt::Key_Return);
    QTest::keyClicks(text(window), u"c"_qs);
    QTest::keyClick(text(window), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(text(window), u"d"_qs);
    QTest::keyClick(text(window), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), submitButton(window));
    QVERIFY(window->isVisible());

    QTest::keyClick(submitButton(window), Qt::Key_Space);
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

void TestSuggest::twoSuggestionsInFlightAreThanked()
{
    h->server.setScript([](const HttpFixture::Request& request) {
        HttpFixture::Reply reply;
        reply.delayMs = request.body == "c=first" ? 300 : 0; // the first one is answered last
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

void TestSuggest::failureBox_data()
{
    QTest::addColumn<int>("status"); // 0: the connection is reset
    QTest::addColumn<QString>("reason");
    QTest::newRow("404") << 404 << u"404"_qs;
    QTest::newRow("connection reset") << 0 << QString(); // whatever the network layer says
}

void TestSuggest::failureBox()
{
    QFETCH(int, status);
    QFETCH(QString, reason);
    h->server.setScript([status](const HttpFixture::Request&) {
        HttpFixture::Reply reply = HttpFixture::Reply::answer("ok", status);
        reply.reset = status == 0;
        return reply;
    });
    Form3* window = open();
    QTest::keyClicks(text(window), u"idea"_qs);
    QTest::mouseClick(submitButton(window), Qt::LeftButton);

    // Never thanked: the user is told to send it again, and why.
    QTRY_COMPARE_WITH_TIMEOUT(h->boxes.size(), 1, 10'000);
    const MessageBox::Shown box = h->boxes.first();
    QCOMPARE(box.title, u"Warning"_qs);
    QVERIFY(box.text.contains(u"未能送达") && !box.text.contains(u"成功"));
    const QString given = box.text.section(u"原因："_qs, 1);
    QVERIFY2(!given.isEmpty(), qPrintable(box.text));
    if (!reason.isEmpty())
        QCOMPARE(given, reason);
}

QTEST_MAIN(TestSuggest)
#include "tst_suggest.moc"
