// The real program against the real stand-in process: whole analysis runs, the link list, the
// export and a suggestion, each through the controls a user would use.
#include "platform/CodePage.h"
#include "ui/CaptionLabel.h"
#include "ui/FlexGrid.h"
#include "ui/MessageBox.h"
#include "ui/links/Form2.h"
#include "ui/main/Form1.h"
#include "ui/suggest/Form3.h"

#include <QFile>
#include <QInputMethodEvent>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int timeoutMs = 30'000;

int leadingNumber(const QString& cell)
{
    return QRegularExpression(u"^\\d+"_s).match(cell).captured().toInt();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void analysis_data();
    void analysis();
    void suggestion();

private:
    template <typename T> T* child(QObject* parent, const QString& name) const
    {
        return parent->findChild<T*>(name);
    }
    // The `b` of every result page the stand-in has answered for `site`, in order.
    QStringList answeredPages(const QString& site) const;

    QTemporaryDir data;
    QProcess standin;
    QStringList log; // the stand-in's output, a line each
    QString host;
    QList<MessageBox::Shown> boxes;
    std::unique_ptr<Form1> form;
};

void TestEndToEnd::initTestCase()
{
    QVERIFY(data.isValid());
    connect(&standin, &QProcess::readyReadStandardOutput, this, [this] {
        while (standin.canReadLine())
            log.append(QString::fromUtf8(standin.readLine()).trimmed());
    });
    standin.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    standin.start(QStringLiteral(OSTREL_STANDIN_PATH),
                  {u"--port"_s, u"0"_s, u"--data"_s, data.path()});
    QVERIFY2(standin.waitForStarted(timeoutMs), qPrintable(standin.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(!log.isEmpty(), timeoutMs);
    const QRegularExpressionMatch port =
        QRegularExpression(u"listening on http://127\\.0\\.0\\.1:(\\d+),"_s).match(log.first());
    QVERIFY2(port.hasMatch(), qPrintable(log.first()));
    host = u"127.0.0.1:"_s + port.captured(1);
    MessageBox::setRecorder(&boxes);
}

void TestEndToEnd::init()
{
    form = std::make_unique<Form1>(Endpoints{host, host});
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // The bulletin, in GB2312, came from the stand-in as the window loaded.
    QTRY_COMPARE_WITH_TIMEOUT(child<CaptionLabel>(form.get(), u"news0"_s)->caption(), u"使用帮助"_s,
                              timeoutMs);
}

void TestEndToEnd::cleanup()
{
    form.reset();
    boxes.clear();
}

void TestEndToEnd::cleanupTestCase()
{
    MessageBox::setRecorder(nullptr);
    QCOMPARE(standin.state(), QProcess::Running);
    standin.terminate();
    QVERIFY(standin.waitForFinished(timeoutMs));
}

QStringList TestEndToEnd::answeredPages(const QString& site) const
{
    const QRegularExpression line(u"^GET /search\\?p=(.*)&bwm=i&bwmf=s&bwmo=s&b=(\\d+) 200$"_s);
    QStringList pages;
    for (const QString& entry : log)
        if (const auto m = line.match(entry); m.hasMatch() && m.captured(1) == site)
            pages.append(m.captured(2));
    return pages;
}

void TestEndToEnd::analysis_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("hosts");
    QTest::addColumn<int>("links");
    QTest::addColumn<QString>("topHost");
    QTest::addColumn<int>("topLinks");

    // Past 1000 results the walk stops at the thousandth, on the page b = 951.
    QTest::newRow("big") << u"big.example"_s << 20 << 309 << 1000 << u"blog.example"_s << 223;
    QTest::newRow("small") << u"small.example"_s << 1 << 20 << 37 << u"bbs.example"_s << 6;
}

void TestEndToEnd::analysis()
{
    QFETCH(QString, site);
    QFETCH(int, requests);
    QFETCH(int, hosts);
    QFETCH(int, links);
    QFETCH(QString, topHost);
    QFETCH(int, topLinks);

    auto* const Command1 = child<QPushButton>(form.get(), u"Command1"_s);
    auto* const tb1 = child<FlexGrid>(form.get(), u"tb1"_s);
    QTest::keyClicks(child<QWidget>(form.get(), u"Text1"_s), site);
    QTest::mouseClick(Command1, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(Command1->isEnabled(), timeoutMs);

    QStringList pages;
    for (int b = 1; pages.size() < requests; b += 50)
        pages.append(QString::number(b));
    QTRY_COMPARE_WITH_TIMEOUT(answeredPages(site), pages, timeoutMs);
    QCOMPARE(boxes.size(), 0);

    // The grid: one row per host the tally met, most links on top, ties in the order met.
    const std::vector<HostTally::Host> met = form->run.dict.hosts();
    QCOMPARE(int(met.size()), hosts);
    QCOMPARE(tb1->Rows(), hosts + 1);
    int linkSum = 0;
    for (int r = 1; r < tb1->Rows(); ++r) {
        const int order = tb1->TextMatrix(r, 0).toInt();
        const int count = leadingNumber(tb1->TextMatrix(r, 2));
        QVERIFY(order >= 1 && order <= hosts);
        QCOMPARE(tb1->TextMatrix(r, 1), met[order - 1].name);
        QCOMPARE(tb1->TextMatrix(r, 2), QString::number(met[order - 1].links.size()) + u'个');
        if (r > 1) {
            const int above = leadingNumber(tb1->TextMatrix(r - 1, 2));
            QVERIFY2(count < above || (count == above && order > tb1->TextMatrix(r - 1, 0).toInt()),
                     qPrintable(u"row %1"_s.arg(r)));
        }
        linkSum += count;
    }
    QCOMPARE(linkSum, links);
    QCOMPARE(child<CaptionLabel>(form.get(), u"Label1"_s)->caption(),
             u"已完成,共%1个域名,%2条链接,双击域名可列出链接"_s.arg(hosts).arg(links));
    QCOMPARE(tb1->TextMatrix(1, 1), topHost);
    QCOMPARE(tb1->TextMatrix(1, 2), u"%1个"_s.arg(topLinks));

    // The top host's links, by a double-click on its row.
    tb1->setRow(1);
    const QPoint cell = tb1->visualRect(tb1->model()->index(0, 1)).center();
    QTest::mouseClick(tb1->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(tb1->viewport(), Qt::LeftButton, {}, cell);
    Form2* list = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* shown = qobject_cast<Form2*>(window); shown && shown->isVisible())
            list = shown;
    QVERIFY(list);
    QCOMPARE(list->windowTitle(), topHost);
    auto* const listGrid = child<FlexGrid>(list, u"tb1"_s);
    QStringList listed;
    for (int r = 1; r < listGrid->Rows(); ++r)
        listed.append(listGrid->TextMatrix(r, 1));
    QCOMPARE(listed, *form->run.dict.links(topHost));
    QCOMPARE(listed.size(), topLinks);

    // The export: the hosts in the order met, a line each, then one more line end, in CP936.
    QTemporaryDir folder;
    form->programFolder = folder.path();
    QTest::mouseClick(child<CaptionLabel>(form.get(), u"Label3"_s), Qt::LeftButton);
    QString expected;
    for (const HostTally::Host& each : met)
        expected += each.name + u"\r\n"_s;
    QCOMPARE(fileBytes(folder.filePath(site + u"外链域名.txt"_s)),
             toAnsiCodePage(QString(expected + u"\r\n"_s)));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, u"提示"_s);
}

void TestEndToEnd::suggestion()
{
    QTest::mouseClick(child<CaptionLabel>(form.get(), u"Label2"_s), Qt::LeftButton);
    Form3* window = nullptr;
    for (QWidget* each : QApplication::topLevelWidgets())
        if (auto* shown = qobject_cast<Form3*>(each); shown && shown->isVisible())
            window = shown;
    QVERIFY(window);

    // Latin letters and signs by key, the Chinese words as an input method commits them.
    auto* const text = child<QPlainTextEdit>(window, u"Text1"_s);
    const auto commit = [text](const QString& words) {
        QInputMethodEvent event;
        event.setCommitString(words);
        QCoreApplication::sendEvent(text, &event);
    };
    commit(u"希望能"_s);
    QTest::keyClicks(text, u" export "_s);
    commit(u"全部链接"_s);
    QTest::keyClicks(text, u" & 50%+1"_s);
    const QString typed = u"希望能 export 全部链接 & 50%+1"_s;
    QCOMPARE(text->toPlainText(), typed);
    QTest::mouseClick(child<QPushButton>(window, u"Command1"_s), Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), 1, timeoutMs);
    QCOMPARE(boxes.first().title, u"提示"_s);
    QVERIFY(boxes.first().text.contains(u"提交成功"_s));

    const QList<QByteArray> lines = fileBytes(data.filePath(u"suggestions.jsonl"_s)).split('\n');
    QCOMPARE(lines.size(), 2); // one line, then the end of the file
    const QJsonObject entry = QJsonDocument::fromJson(lines.first()).object();
    QCOMPARE(entry.value(u"text"_s).toString(), typed);
    QVERIFY(QDateTime::fromString(entry.value(u"time"_s).toString(), Qt::ISODate).isValid());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
