// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The windows as a user meets them, offscreen, with an in-process server for each service.
#include "history/HistoryStore.h"
#include "support/HttpFixture.h"
#include "support/ResultPages.h"
#include "ui/CaptionLabel.h"
#include "ui/FileDialog.h"
#include "ui/FlexGrid.h"
#include "ui/GridMenu.h"
#include "ui/MessageBox.h"
#include "ui/history/HistoryControl.h"
#include "ui/links/Form2.h"
#include "ui/main/Form1.h"
#include "ui/suggest/Form3.h"

#include <QAccessible>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolTip>

#include <atomic>

// The cells below the fixed row: "|" after each but a row's last, which gets a line end.
static QString cells(const FlexGrid* grid)
{
    QString result;
    for (int r = 1; r < grid->Rows(); ++r)
        for (int c = 0; c < grid->Cols(); ++c)
            result += grid->TextMatrix(r, c) + (c + 1 < grid->Cols() ? u'|' : u'\n');
    return result;
}

// The cells of the link list window, while it is shown.
static QString shownList()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<Form2*>(window) && window->isVisible())
            return cells(window->findChild<FlexGrid*>());
    return {};
}

// A user's double-click on a row's text, or on its number in the fixed column.
static void doubleClick(FlexGrid* grid, int row, bool onNumber)
{
    QTRY_VERIFY(grid->model()->rowCount() >= row); // appended rows reach the view a turn later
    if (onNumber)
        return QTest::mouseDClick(grid->verticalHeader()->viewport(), Qt::LeftButton, {},
                                  {4, grid->rowViewportPosition(row - 1) + 4});
    const QPoint at = grid->visualRect(grid->model()->index(row - 1, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// Writes a link export: "b.a.b.csv" lists http://b.test/0, http://a.test/1, http://b.test/2;
// "many.csv" 100 000 links of 12 001 hosts, the first 20 000 of one, some megabytes; "x.png" holds
// no text.
static void writeExport(const QString& path)
{
    QFile file(path);
    const QStringList hosts = QFileInfo(path).completeBaseName().split(u'.');
    const bool many = hosts[0] == u"many";
    if (!file.open(QIODevice::WriteOnly) || (path.endsWith(u".png") && file.write("\0", 1)))
        return;
    for (int k = 0; k < (many ? 100000 : hosts.size()); ++k)
        file.write(u"http://%1.test/%2\n"_qs
                       .arg(many ? u'h' + QString::number(k < 20000 ? 0 : k % 12001) : hosts[k])
                       .arg(k)
                       .toUtf8());
}

// The entry of `menu` with this text.
static QAction* entry(const QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    qFatal("no menu entry %s", qPrintable(text));
}

class TestWindows : public QObject {
    Q_OBJECT
public Q_SLOTS:
    void open(const QUrl& url) { opened_.append(url.toString()); }

private:
    template <typename T = CaptionLabel> T* child(const QString& name) const
    {
        return form_->findChild<T*>(name);
    }
    // What the server was asked at `path`: the method, then the body or the decoded query.
    QStringList asked(const QString& path) const
    {
        QStringList result;
        for (const HttpFixture::Request& r :
             (path == u"/search" ? explorer_ : publisher_)->requests())
            if (r.path == path)
                result.append(QString::fromUtf8(r.method + ' ' + r.body) +
                              r.query.toString(QUrl::FullyDecoded));
        return result;
    }
    QStringList boxes() const
    {
        QStringList result;
        for (const MessageBox::Shown& box : boxes_)
            result.append(box.title + u':' + box.text);
        return result;
    }

    std::unique_ptr<HttpFixture> explorer_, publisher_; // on two ports
    std::unique_ptr<Form1> form_;
    QList<MessageBox::Shown> boxes_;
    QStringList opened_;
    // Every scheme a link below names is caught, so that one opened by mistake is seen.
    const QStringList schemes_{u"http"_qs, u"https"_qs, u"file"_qs,       u"smb"_qs,
                               u"ssh"_qs,  u""_qs,      u"javascript"_qs, u"x-own"_qs};
    // Result pages by b: 1, 51, ...; an empty one answers 404. Nothing else is ever answered.
    QByteArrayList pages_;
    QTemporaryDir settings_;

private Q_SLOTS:
    void init()
    {
        // Settings of this run alone: neither the user's nor another run's of this suite.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
        QSettings().clear();
        MessageBox::setRecorder(&boxes_);
        for (const QString& scheme : schemes_)
            QDesktopServices::setUrlHandler(scheme, this, "open");
        explorer_ = std::make_unique<HttpFixture>();
        publisher_ = std::make_unique<HttpFixture>();
        publisher_->setScript([](auto&) { return HttpFixture::Reply::silence(); });
        explorer_->setScript([this](const HttpFixture::Request& request) {
            const int page = (request.query.queryItemValue(u"b"_qs).toInt() - 1) / 50;
            if (request.path != u"/search" || page >= pages_.size())
                return HttpFixture::Reply::silence();
            return HttpFixture::Reply::answer(pages_[page], pages_[page].isEmpty() ? 404 : 200);
        });
        form_ = std::make_unique<Form1>(Endpoints{explorer_->host(), publisher_->host()});
        form_->show();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }
    void cleanup()
    {
        form_.reset();
        for (const QString& scheme : schemes_)
            QDesktopServices::unsetUrlHandler(scheme);
        MessageBox::setRecorder(nullptr);
        boxes_.clear();
        opened_.clear();
    }
    void run()
    {
        // A page without total or results, a failed one, then the last, which meets c, d, a, b.
        QStringList met{u"http://c.example/"_qs, u"http://d.example/"_qs};
        met << QStringList(9, u"http://a.example/"_qs) << QStringList(12, u"http://b.example/"_qs);
        // The first page is large enough to be read on another thread.
        pages_ = {
            resultPage({}, {}) + QByteArray(300000, ' '), {}, resultPage(u"123"_qs, met, 101)};
        auto* command1 = child<QWidget>(u"Command1"_qs);
        auto* command2 = child<QPushButton>(u"Command2"_qs);
        QTest::keyClicks(child<QWidget>(u"Text1"_qs), u" a b "_qs);
        QTest::mouseClick(command1, Qt::LeftButton);
        QVERIFY(!command1->isEnabled() && command2->isEnabled());
        // Held before the first page is in: that page is still taken, the next one waits.
        QTest::mouseClick(command2, Qt::LeftButton);
        QCOMPARE(command2->text(), u"开始"_qs);
        QTRY_COMPARE(boxes_.size(), 2);
        QVERIFY(!form_->run.pageInFlight);
        QTest::mouseClick(command2, Qt::LeftButton);
        QCOMPARE(command2->text(), u"暂停"_qs);
        QTRY_VERIFY(command1->isEnabled());
        QVERIFY(!command2->isEnabled() && child(u"Label3"_qs)->isVisible());
        QCOMPARE(asked(u"/search"_qs).first(), u"GET p= a b &bwm=i&bwmf=s&bwmo=s&b=1"_qs);
        QCOMPARE(boxes() << child(u"Label1"_qs)->caption() << cells(child<FlexGrid>(u"tb1"_qs)),
                 (QStringList{
                     u"Warning:Not Match 1"_qs, u"Warning:Not Match 2"_qs, u"Warning:404"_qs,
                     u"已完成,共4个域名,23条链接,双击域名可列出链接"_qs,
                     u"4|b.example|12个\n3|a.example|9个\n1|c.example|1个\n2|d.example|1个\n"_qs}));
        // The export, then one the site text forbids, as it goes into the file name.
        QTemporaryDir folder;
        form_->programFolder = folder.path();
        QTest::mouseClick(child(u"Label3"_qs), Qt::LeftButton);
        QFile file(folder.filePath(u" a b 外链域名.txt"_qs));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "c.example\r\nd.example\r\na.example\r\nb.example\r\n\r\n");
        QTest::keyClicks(child<QWidget>(u"Text1"_qs), u"/x"_qs);
        QTest::mouseClick(child(u"Label3"_qs), Qt::LeftButton);
        QCOMPARE(boxes().mid(3),
                 (QStringList{u"提示:导出到"_qs + file.fileName() + u"成功!"_qs,
                              u"Warning:导出到"_qs + folder.path() +
                                  u"/ a b /x外链域名.txt失败:站点名含有\"/\",不能用作文件名"_qs}));
    }
    void hostilePage_data()
    {
        QTest::addColumn<QByteArrayList>("pages");
        QTest::addColumn<QString>("seen"); // boxes, then the grid
        QTest::newRow("over 1 MiB")
            << QByteArrayList{resultPage(u"9"_qs, {u"http://a.test/"_qs}) +
                                  QByteArray(1 << 20, ' '),
                              resultPage(u"51"_qs, {u"http://b.test/"_qs}, 51)}
            << u"Warning:The reply was too large (over 1 MiB)#1|b.test|1个\n"_qs;
        QTest::newRow("numbers stand still")
            << QByteArrayList{resultPage(u"9"_qs, {}) +
                              resultEntry(u"1"_qs, u"http://\u202Emoc.elgoog/"_qs)
                                  .toUtf8()
                                  .repeated(60)}
            << u"Warning:结果序号没有递增,分析到此结束#1|(无法识别的域名)|1个\n"_qs;
    }
    void hostilePage()
    {
        QFETCH(QByteArrayList, pages);
        QFETCH(QString, seen);
        pages_ = pages;
        QTest::mouseClick(child<QWidget>(u"Command1"_qs), Qt::LeftButton);
        QTRY_VERIFY(child<QWidget>(u"Command1"_qs)->isEnabled());
        QCOMPARE((boxes() << cells(child<FlexGrid>(u"tb1"_qs))).join(u'#'), seen);
    }
    void drop_data()
    {
        QTest::addColumn<QStringList>("dropped"); // in the test's folder; "sub" is a folder
        QTest::addColumn<QString>("onto");     // Text1, the window, or the window while a run walks
        QTest::addColumn<QString>("seen");     // boxes, status line, grid, whether 查询 is on
        QTest::addColumn<QString>("exported"); // by the export label, if shown
        QTest::newRow("files")
            << QStringList{u"x.png"_qs, u"b.a.b.csv"_qs, u"sub"_qs, u"a.c.csv"_qs} << u"Text1"_qs
            << u"Warning:导入%1/x.png失败:它不是文本文件。#已完成,共3个域名,5条链接,双击域名可列"
               u"出链接#1|b.test|2个\n2|a.test|2个\n3|c.test|1个#on"_qs
            << u"b.a.b外链域名.txt"_qs;
        QTest::newRow("nothing read")
            << QStringList{u"x.png"_qs} << u"window"_qs
            << u"Warning:导入%1/x.png失败:它不是文本文件。#本工具能分析所有外链的前1000条##on"_qs
            << QString();
        QTest::newRow("many failing")
            << QStringList{u"x1.png"_qs, u"x\n2.png"_qs, u"x3.png"_qs, u"x4.png"_qs,
                           u"x5.png"_qs, u"x6.png"_qs,   u"x7.png"_qs}
            << u"window"_qs
            << u"Warning:导入%1/x1.png失败:它不是文本文件。\n导入%1/"
               u"x\uFFFD2.png失败:它不是文本文件。"
               u"\n导入%1/x3.png失败:它不是文本文件。\n导入%1/x4.png失败:它不是文本文件。\n导入%1/"
               u"x5.png失败:它不是文本文件。\n另有2个文件导入失败#本工具能分析所有外链的前1000条##on"_qs
            << QString();
        QTest::newRow("many") << QStringList{u"many.csv"_qs} << u"window"_qs
                              << u"已完成,共12001个域名,100000条链接,双击域名可列出链接#1|h0.test|"
                                 u"20007个\n2|h7999.test|7个\n3|h8000.test|7个#on"_qs
                              << u"many外链域名.txt"_qs;
        QTest::newRow("while walking")
            << QStringList{u"a.c.csv"_qs} << u"walking"_qs << u"正在初始化...##off"_qs << QString();
    }
    void drop()
    {
        QFETCH(QStringList, dropped);
        QFETCH(QString, onto);
        QFETCH(QString, seen);
        QFETCH(QString, exported);
        QTemporaryDir folder;
        QDir(folder.path()).mkdir(u"sub"_qs);
        form_->programFolder = folder.path();
        pages_.clear(); // a run walks on, its first page never answered
        if (onto == u"walking")
            QTest::mouseClick(child<QWidget>(u"Command1"_qs), Qt::LeftButton);
        QMimeData files;
        QList<QUrl> urls;
        for (const QString& name : dropped) {
            writeExport(folder.filePath(name));
            urls.append(QUrl::fromLocalFile(folder.filePath(name)));
        }
        files.setUrls(urls);
        files.setText(urls.value(0).toString()); // as file managers offer it too
        QWidget* target = onto == u"Text1" ? child<QWidget>(onto) : form_.get();
        QDragEnterEvent enter({9, 9}, Qt::CopyAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QCOMPARE(enter.isAccepted(), onto != u"walking");
        QDropEvent drop({9, 9}, Qt::CopyAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        QStringList captions; // the status line after each step of the import's progress
        if (auto* reading = form_->findChild<QFutureWatcherBase*>())
            connect(reading, &QFutureWatcherBase::progressValueChanged, this,
                    [&] { captions.append(child(u"Label1"_qs)->caption()); });
        QTRY_COMPARE(
            (boxes() << child(u"Label1"_qs)->caption()
                     << cells(child<FlexGrid>(u"tb1"_qs)).section(u'\n', 0, 2)
                     << (child<QWidget>(u"Command1"_qs)->isEnabled() ? u"on"_qs : u"off"_qs))
                .join(u'#'),
            QString(seen).replace(u"%1"_qs, folder.path()));
        // A long import shows how far it has come.
        if (dropped[0] == u"many.csv")
            QVERIFY2(!captions.filter(QRegularExpression(u"导入中,进度:[1-9][0-9]?%"_qs)).isEmpty(),
                     qPrintable(captions.join(u' ')));
        QCOMPARE(child(u"Label3"_qs)->isVisible(), !exported.isEmpty());
        if (exported.isEmpty())
            return;
        QVERIFY(form_->rect().contains(child(u"Label3"_qs)->geometry()));
        // The top count is shown whole, and the columns still fill the grid as designed.
        auto* tb1 = child<FlexGrid>(u"tb1"_qs);
        const QString top = tb1->TextMatrix(1, 2);
        QVERIFY2(tb1->fontMetrics().horizontalAdvance(top) < tb1->columnWidth(1), qPrintable(top));
        QCOMPARE(tb1->ColWidth(1) + tb1->ColWidth(2), 5000);
        QTest::mouseClick(child(u"Label3"_qs), Qt::LeftButton);
        QCOMPARE(QDir(folder.path()).entryList({u"*.txt"_qs}).join(u','), exported);
    }
    void cancelImport_data()
    {
        QTest::addColumn<QString>("by");
        QTest::newRow("Escape") << u"Escape"_qs;
        QTest::newRow("暂停") << u"Command2"_qs;
        QTest::newRow("closing the window") << u"close"_qs;
    }
    void cancelImport()
    {
        QFETCH(QString, by);
        static std::atomic<int> reading; // 1 while it reads, 2 once it saw the cancel
        reading = 0;
        form_->importReader = [](const QStringList&, const ImportProgress&,
                                 const ImportCancelled& cancelled) {
            reading = 1;
            for (QDeadlineTimer bound(10000); !cancelled() && !bound.hasExpired();)
                QThread::yieldCurrentThread();
            reading = cancelled() ? 2 : 3;
            ImportResult late;
            late.tally.add(u"late.test", u"http://late.test/");
            return late;
        };
        const bool command1 = child<QWidget>(u"Command1"_qs)->isEnabled();
        form_->importFiles({u"endless.csv"_qs});
        QTRY_COMPARE(reading.load(), 1);
        if (by == u"Escape")
            QTest::keyClick(form_.get(), Qt::Key_Escape);
        else if (by == u"Command2")
            QTest::mouseClick(child<QWidget>(u"Command2"_qs), Qt::LeftButton);
        else
            form_->close();
        QTRY_COMPARE(reading.load(), 2);
        QTRY_VERIFY(form_->findChildren<QFutureWatcherBase*>().isEmpty());
        QCOMPARE(child(u"Label1"_qs)->caption(), u"已取消导入"_qs);
        QCOMPARE(child<QWidget>(u"Command1"_qs)->isEnabled(), command1);
        QCOMPARE(cells(child<FlexGrid>(u"tb1"_qs)), QString());
    }
    void linkList()
    {
        // A link without a host counts for the host before it; a host with a TAB is none.
        pages_ = {resultPage(u"6"_qs, {u"http://a.example/1"_qs, u"http://a.example/2"_qs,
                                       u"http://t\tb.example/1"_qs, u"http://t.example?q=x\ty"_qs,
                                       u"http://c.example/1"_qs, u"http://c.example/2"_qs})};
        QTest::mouseClick(child<QWidget>(u"Command1"_qs), Qt::LeftButton);
        auto* tb1 = child<FlexGrid>(u"tb1"_qs);
        QTRY_COMPARE(cells(tb1), u"1|a.example|2个\n2|(无法识别的域名)|2个\n3|c.example|2个\n"_qs);
        // By the texts: a host's list, then a link of it.
        doubleClick(tb1, 2, false);
        QTRY_VERIFY(qobject_cast<Form2*>(QApplication::activeWindow()));
        auto* links = QApplication::activeWindow()->findChild<FlexGrid*>(u"tb1"_qs);
        QCOMPARE(cells(links), u"1|http://t\tb.example/1\n2|http://t.example?q=x\ty\n"_qs);
        doubleClick(links, 2, false);
        // By the numbers, with the list open: the same window, filled anew.
        doubleClick(tb1, 3, true);
        QCOMPARE(cells(links), u"1|http://c.example/1\n2|http://c.example/2\n"_qs);
        doubleClick(links, 1, true);
        QCOMPARE(opened_, (QStringList{u"http://t.example?q=x%09y#From:"_qs + publisher_->host(),
                                       u"http://c.example/1#From:"_qs + publisher_->host()}));
    }
    void hostMenu_data()
    {
        QTest::addColumn<QString>("opened"); // on row 2 by the mouse or keys, or below the rows
        QTest::addColumn<int>("entry");      // clicked in the menu
        // Entries as heard, "-" greyed; then the clipboard, the browser, the link list, the rows
        QTest::addColumn<QString>("seen");
        const QString all =
            u"复制|查看链接|在浏览器中打开|拒绝这些域名|取消拒绝|-|导出拒绝文件…|导入拒绝文件…|-|按主域名合并 "_qs;
        QTest::newRow("copy") << u"right-click"_qs << 0 << all + u"c.example|||共3个域名"_qs;
        QTest::newRow("links") << u"Menu"_qs << 1
                               << all + u"c.example||1|http://c.example/2\n|共3个域名"_qs;
        QTest::newRow("browser") << u"Shift+F10"_qs << 2
                                 << all + u"c.example|http://c.example/||共3个域名"_qs;
        QTest::newRow("by domain") << u"right-click"_qs << 9 << all + u"|||共2个主域名"_qs;
        QTest::newRow("below the rows") << u"right-click below"_qs << 0
                                        << u"复制-|查看链接-|在浏览器中打开-|拒绝这些域名-|"
                                           u"取消拒绝-|-|导出拒绝文件…|导入拒绝文件…|-|"
                                           u"按主域名合并 |||共3个域名"_qs;
    }
    void hostMenu()
    {
        QFETCH(QString, opened);
        QFETCH(int, entry);
        pages_ = {resultPage(u"3"_qs, {u"http://www.a.com/1"_qs, u"http://c.example/2"_qs,
                                       u"http://b.A.com:81/3"_qs})};
        QTest::mouseClick(child<QWidget>(u"Command1"_qs), Qt::LeftButton);
        auto* tb1 = child<FlexGrid>(u"tb1"_qs);
        QTRY_COMPARE(tb1->model()->rowCount(), 3);
        QGuiApplication::clipboard()->clear();
        const int row = opened.endsWith(u"below") ? 0 : 1;
        QPoint at = tb1->visualRect(tb1->model()->index(row, 1)).center(); // a count
        QTest::mouseClick(tb1->viewport(), Qt::LeftButton, {}, at);
        at = tb1->viewport()->mapTo(form_.get(), at + QPoint(0, row ? 0 : 100));
        QWindow* window = form_->windowHandle();
        if (const QKeyCombination key = QKeySequence(opened)[0]; !opened.startsWith(u"right")) {
            QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier); // the host, not the count
            QTest::keyClick(window, key.key(), key.keyboardModifiers());
        } else {
            QTest::mouseClick(window, Qt::RightButton, {}, at);
        }
        auto* menu = tb1->findChild<GridMenu*>();
        QTRY_VERIFY(menu->isVisible());
        QAccessibleInterface* entries = QAccessible::queryAccessibleInterface(menu);
        QString heard;
        for (int i = 0; i < entries->childCount(); ++i)
            heard += entries->child(i)->text(QAccessible::Name) +
                     (entries->child(i)->state().disabled ? u"-|"_qs : u"|"_qs);
        heard.back() = u' ';
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->actions()[entry]).center());
        QFETCH(QString, seen);
        QTRY_COMPARE(heard + QGuiApplication::clipboard()->text() + u'|' + opened_.join(u' ') +
                         u'|' + shownList() + u'|' +
                         child(u"Label1"_qs)->caption().section(u',', 1, 1),
                     seen);
        form_ = std::make_unique<Form1>(Endpoints{explorer_->host(), publisher_->host()});
        QCOMPARE(child<GridMenu>(QString())->actions()[9]->isChecked(), entry == 9); // kept
    }
    void disavow()
    {
        pages_ = {resultPage(u"4"_qs, {u"http://www.a.com/1"_qs, u"http://c.example/2"_qs,
                                       u"http://b.a.com/3"_qs, u"http://d.example/4"_qs})};
        QTemporaryDir folder;
        const QString history = folder.filePath(u"history.sqlite"_qs);
        form_->useHistory(history);
        QVERIFY(QSignalSpy(form_->history(), &HistoryControl::settled).wait(10000));
        QTest::keyClicks(child<QWidget>(u"Text1"_qs), u"Site.example"_qs);
        QTest::mouseClick(child<QWidget>(u"Command1"_qs), Qt::LeftButton);
        auto* tb1 = child<FlexGrid>(u"tb1"_qs);
        QTRY_COMPARE(tb1->model()->rowCount(), 4);
        auto row = [tb1](int r) { return tb1->visualRect(tb1->model()->index(r - 1, 0)).center(); };
        QTest::mouseClick(tb1->viewport(), Qt::LeftButton, {}, row(1));
        QTest::mouseClick(tb1->viewport(), Qt::LeftButton, Qt::ControlModifier, row(3));
        QTest::keyClick(tb1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"www.a.com\nb.a.com"_qs);
        // The menu of a chosen row acts on every chosen row.
        QContextMenuEvent click(QContextMenuEvent::Mouse, row(3),
                                tb1->viewport()->mapToGlobal(row(3)));
        QApplication::sendEvent(tb1->viewport(), &click);
        auto* menu = tb1->findChild<GridMenu*>();
        entry(menu, u"拒绝这些域名"_qs)->trigger();
        // What a screen reader says of each row's host, and which rows are struck through.
        auto marked = [](FlexGrid* grid) {
            // Offscreen no screen reader listens, so the view does not keep the cells it has
            // handed out up to date: ask afresh.
            QAccessible::deleteAccessibleInterface(
                QAccessible::uniqueId(QAccessible::queryAccessibleInterface(grid)));
            QAccessibleTableInterface* table =
                QAccessible::queryAccessibleInterface(grid)->tableInterface();
            QString seen;
            for (int r = 0; r < table->rowCount(); ++r)
                seen += table->cellAt(r, 0)->text(QAccessible::Description) +
                        (grid->model()->index(r, 0).data(Qt::FontRole).value<QFont>().strikeOut()
                             ? u"-"_qs
                             : u"|"_qs);
            return seen;
        };
        QCOMPARE(marked(tb1), u"已拒绝-|已拒绝-|"_qs);
        // One link of another host, from the link list's menu.
        doubleClick(tb1, 2, false);
        QTRY_VERIFY(qobject_cast<Form2*>(QApplication::activeWindow()));
        auto* links = QApplication::activeWindow()->findChild<FlexGrid*>(u"tb1"_qs);
        entry(links->findChild<GridMenu*>(), u"拒绝此链接"_qs)->trigger();
        QCOMPARE(marked(links), u"已拒绝-"_qs);

        // Written after the file the user has, which keeps its refused line.
        form_->programFolder = folder.path();
        QFile old(folder.filePath(u"old.txt"_qs));
        QVERIFY(old.open(QIODevice::WriteOnly) &&
                old.write("# mine\ndomain: x.com\ndomain:b.a.com"));
        old.close();
        FileDialog::Recorder dialogs{{folder.filePath(u"out.txt"_qs), old.fileName()}, {}};
        FileDialog::setRecorder(&dialogs);
        MessageBox::setNextAnswers({0});
        entry(menu, u"导出拒绝文件…"_qs)->trigger();
        FileDialog::setRecorder(nullptr);
        QCOMPARE(dialogs.asked.first(),
                 u"导出拒绝文件|"_qs + folder.filePath(u"site.example-disavow.txt"_qs));
        QFile out(folder.filePath(u"out.txt"_qs));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(out.readAll()),
                 u"# mine\ndomain: x.com\ndomain:b.a.com\n# Ostrel "_qs +
                     QDate::currentDate().toString(Qt::ISODate) +
                     u" 添加\ndomain:www.a.com\nhttp://c.example/2\n"_qs);
        QCOMPARE(boxes().last(),
                 u"提示:导出到"_qs + out.fileName() +
                     u"成功!新增2条。\n\n已有文件中以下几行搜索引擎不会接受,已原样保留,"
                     u"请自行修改:\n第2行(domain: 后面不能有空格): domain: x.com"_qs);

        // Taken back, then another read from a file.
        tb1->setRow(1);
        entry(menu, u"取消拒绝"_qs)->trigger();
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("domain:d.example\nbad\n"));
        old.close();
        dialogs = {{old.fileName()}, {}};
        FileDialog::setRecorder(&dialogs);
        entry(menu, u"导入拒绝文件…"_qs)->trigger();
        FileDialog::setRecorder(nullptr);
        QCOMPARE(boxes().last(), u"提示:从"_qs + old.fileName() +
                                     u"读入1条。\n\n以下几行无法读取:\n"
                                     u"第2行(既不是网址、domain: 条目、注释，也不是空行): bad"_qs);
        // A later window of the same history shows them at the end of its run of the site.
        form_ = std::make_unique<Form1>(Endpoints{explorer_->host(), publisher_->host()});
        form_->useHistory(history);
        QVERIFY(QSignalSpy(form_->history(), &HistoryControl::settled).wait(10000));
        QTest::keyClicks(child<QWidget>(u"Text1"_qs), u" SITE.example"_qs);
        QTest::mouseClick(child<QWidget>(u"Command1"_qs), Qt::LeftButton);
        tb1 = child<FlexGrid>(u"tb1"_qs);
        QTRY_COMPARE(tb1->model()->rowCount(), 4);
        QCOMPARE(marked(tb1), u"||已拒绝-已拒绝-"_qs);
    }
    void program_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "%e", "%p": the two services' hosts
        // The exit code, then the options or the first line printed; or the service asked.
        QTest::addColumn<QString>("seen");
        QTest::newRow("help") << QStringList{u"--help"_qs}
                              << u"0 -h, --help|-v, --version|--explorer <HOST[:PORT]>|"
                                 u"--publisher <HOST[:PORT]>|--database <PATH>|FILE"_qs;
        QTest::newRow("version") << QStringList{u"-v"_qs} << u"0 Ostrel 200912290"_qs;
        QTest::newRow("unknown option")
            << QStringList{u"--explore"_qs, u"h"_qs} << u"1 ostrel: Unknown option 'explore'."_qs;
        QTest::newRow("hosts") << QStringList{u"--publisher=%p"_qs, u"--explorer"_qs, u"%e"_qs}
                               << u"GET ver=200912290|GET ver=200912290"_qs; // ours, its
        // A file named is imported at once, and kept even when it ends before the history opens.
        QTest::newRow("file") << QStringList{u"--database"_qs, u"%d/h.sqlite"_qs, u"%d/l.csv"_qs}
                              << u"l 2"_qs;
    }
    void program()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, seen);
        arguments.replaceInStrings(u"%e"_qs, explorer_->host());
        QProcess ostrel;
        QTemporaryDir data; // where its history goes, not the user's
        arguments.replaceInStrings(u"%d"_qs, data.path());
        QFile links(data.filePath(u"l.csv"_qs));
        QVERIFY(links.open(QIODevice::WriteOnly));
        links.write("http://a.example/1\nhttp://b.example/2\nhttp://a.example/1\n");
        links.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_DATA_HOME"_qs, data.path());
        ostrel.setProcessEnvironment(environment);
        ostrel.start(QStringLiteral(OSTREL_PROGRAM),
                     arguments.replaceInStrings(u"%p"_qs, publisher_->host()));
        if (arguments.first() == u"--database") {
            const auto kept = [&] {
                HistoryStore store(arguments[1]);
                const auto latest = store.attach().state == StoreOpening::State::Ready
                                        ? store.latest(u"l"_qs)
                                        : std::nullopt;
                return latest ? u"l "_qs + QString::number(latest->linkCount) : QString();
            };
            QTRY_COMPARE(kept(), seen);
            ostrel.kill();
            QVERIFY(ostrel.waitForFinished());
            return;
        }
        if (arguments.size() == 3) { // its window opens and asks the publisher for the bulletin
            QTRY_COMPARE(asked(u"/qzupdate/inlink/"_qs).join(u'|'), seen);
            ostrel.kill();
            QVERIFY(explorer_->requests().isEmpty() && ostrel.waitForFinished());
            return;
        }
        QVERIFY(ostrel.waitForFinished(30'000));
        QStringList shown; // an option or argument of the help, as far as its description
        const QString out = QString::fromLocal8Bit(ostrel.readAllStandardOutput());
        for (const QString& line : out.split(u'\n'))
            if (line.startsWith(u"  ") && !line[2].isSpace())
                shown.append(line.trimmed().section(u"  "_qs, 0, 0));
        const QStringList err =
            QString::fromLocal8Bit(ostrel.readAllStandardError()).split(u'\n').filter(u"ostrel:");
        QCOMPARE(QString::number(ostrel.exitCode()) + u' ' +
                     (shown.isEmpty() ? QString(out + err.value(0)).section(u'\n', 0, 0)
                                      : shown.join(u'|')),
                 seen);
    }
    void news()
    {
        const QByteArray bulletin("200912291{update}\xD0\xC2{Q|Z}B[Q|Z]http://b.example/<b>{Q|Z}C" +
                                  QByteArray("\r\n").repeated(6) + QByteArray(300, ' ') + "D" +
                                  QByteArray(300, 'W'));
        publisher_->setScript([bulletin](auto&) { return HttpFixture::Reply::answer(bulletin); });
        // A window that asks anew, of a version older than the bulletin's, which is in GB2312.
        form_ = std::make_unique<Form1>(Endpoints{explorer_->host(), publisher_->host()});
        QTRY_COMPARE(child(u"news0"_qs)->caption() + u'|' + child(u"news1"_qs)->caption() + u'|' +
                         child(u"news2"_qs)->caption().left(4),
                     u"新|B|C\uFFFD\uFFFD\uFFFD"_qs);
        // One line each, and none over another label.
        QCOMPARE(child(u"news1"_qs)->toolTip(), u"<p>http://b.example/&lt;b&gt;</p>"_qs);
        const QStringList labels{u"news0"_qs, u"news1"_qs,  u"news2"_qs,
                                 u"news3"_qs, u"Label2"_qs, u"copyright"_qs};
        for (const QString& one : labels)
            for (const QString& other : labels)
                QVERIFY2(one == other ||
                             !child(one)->geometry().intersects(child(other)->geometry()),
                         qPrintable(one + u' ' + other));
        for (const QString& one : labels.first(4)) // and all under the grid
            QVERIFY(child(one)->geometry().right() <=
                    child<QWidget>(u"tb1"_qs)->geometry().right());
        QCOMPARE(asked(u"/qzupdate/inlink/"_qs).last(), u"GET ver=200912290"_qs);
        QVERIFY(!child<QWidget>(u"Command1"_qs)->isEnabled());
        QTest::mouseClick(child(u"news0"_qs), Qt::LeftButton); // it has no link
        QVERIFY(opened_.isEmpty());
        QTest::mouseClick(child(u"news1"_qs), Qt::LeftButton);
        QCOMPARE(opened_, QStringList{u"http://b.example/%3Cb%3E"_qs});
    }
    void linkto_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("opened"); // or, when empty, the link refused in the status line
        const QString path = QString(2034, u'x');
        QTest::newRow("letter case") << u"HTTPS://A.test/P"_qs << u"https://a.test/P"_qs;
        QTest::newRow("spaces, user") << u" http://u@a.test/ "_qs << u"http://u@a.test/"_qs;
        QTest::newRow("2048 long") << u"http://a.test/"_qs + path << u"http://a.test/"_qs + path;
        QTest::newRow("2049 long") << u"http://a.test/x"_qs + path << QString();
        QTest::newRow("no slashes") << u"http:a.test/"_qs << QString();
        QTest::newRow("no host") << u"http:///etc/passwd"_qs << QString();
        QTest::newRow("file") << u"  FILE:/etc/passwd"_qs << QString();
        QTest::newRow("local file") << u"file://localhost/etc/passwd"_qs << QString();
        QTest::newRow("share") << u"smb://evil.test/share/run.desktop"_qs << QString();
        QTest::newRow("user part") << u"ssh://root@evil.test/"_qs << QString();
        QTest::newRow("script") << u"javascript:\nalert(1)//http://a.test/"_qs << QString();
        QTest::newRow("custom") << u"x-own://a.test/"_qs << QString();
        QTest::newRow("escaped scheme") << u"%66ile:///etc/passwd"_qs << QString();
        QTest::newRow("escaped colon") << u"http%3A//a.test/"_qs << QString();
    }
    void linkto()
    {
        QFETCH(QString, link);
        QFETCH(QString, opened);
        const QString before = child(u"Label1"_qs)->caption();
        form_->linkto(link);
        QCOMPARE(opened_, opened.isEmpty() ? QStringList() : QStringList{opened});
        QString refused =
            u"只能在浏览器中打开网页链接:"_qs + link.left(100).replace(u'\n', u'\uFFFD');
        QCOMPARE(child(u"Label1"_qs)->caption(),
                 !opened.isEmpty() ? before : refused + (link.size() > 100 ? u"…"_qs : u""_qs));
    }
    void suggestion_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("seen"); // the request, then the box
        const QString thanks =
            u"您的建议已经提交成功，我会总结所有建议意见对功能进行更新，谢谢。"_qs;
        QTest::newRow("thanked") << u"中\na b"_qs << 200
                                 << QStringList{u"POST c=%D6%D0%0D%0Aa+b"_qs, u"提示:"_qs + thanks};
        QTest::newRow("failed")
            << u"x&y"_qs << 500
            << QStringList{u"POST c=x%26y"_qs,
                           u"Warning:您的建议未能送达，请稍后再提交一次。\n原因：500"_qs};
    }
    void suggestion()
    {
        QFETCH(QString, typed);
        QFETCH(int, status);
        QFETCH(QStringList, seen);
        publisher_->setScript([status](auto&) { return HttpFixture::Reply::answer("OK", status); });
        QTest::mouseClick(child(u"Label2"_qs), Qt::LeftButton);
        Form3* window = nullptr;
        QTRY_VERIFY((window = qobject_cast<Form3*>(QApplication::activeWindow())));
        window->findChild<QPlainTextEdit*>(u"Text1"_qs)->insertPlainText(typed);
        QTest::mouseClick(window->findChild<QWidget*>(u"Command1"_qs), Qt::LeftButton);
        QTRY_COMPARE(asked(u"/qzupdate/inlink/a/"_qs) + boxes(), seen);
    }
    void importedDetails()
    {
        // Linking pages with their anchors, targets and rel; a referring domain with its count.
        QTemporaryDir folder;
        const QStringList files{folder.filePath(u"pages.csv"_qs), folder.filePath(u"sites.csv"_qs)};
        for (const QByteArray& text :
             {"Source url,Anchor,Target url,Rel\nhttp://a.test/1,One,http://own.test/,nofollow\n"
              "http://a.test/2,Two,http://own.test/b,\n"_qba,
              "Referring domain,Backlinks\nbbb.test,7\n"_qba}) {
            QFile file(files[text.startsWith("Ref")]);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        }
        form_->importFiles(files);
        auto* tb1 = child<FlexGrid>(u"tb1"_qs);
        QTRY_COMPARE(cells(tb1), u"2|bbb.test|7个\n1|a.test|2个\n"_qs);
        tb1->findChild<GridMenu*>()->actions().last()->trigger(); // 排除nofollow
        QCOMPARE(child(u"Label1"_qs)->caption() + cells(tb1),
                 u"已完成,共2个域名,8条链接,双击域名可列出链接2|bbb.test|7个\n1|a.test|1个\n"_qs);
        doubleClick(tb1, 1, false);
        QCOMPARE(child(u"Label1"_qs)->caption(),
                 u"bbb.test:导入的文件只列出了这个域名,没有列出它的链接"_qs);
        doubleClick(tb1, 2, false);
        QTRY_VERIFY(qobject_cast<Form2*>(QApplication::activeWindow()));
        auto* links = QApplication::activeWindow()->findChild<FlexGrid*>(u"tb1"_qs);
        QCOMPARE(links->TextMatrix(0, 2) + links->TextMatrix(0, 3) + cells(links),
                 u"锚文本目标网页1|http://a.test/2|Two|http://own.test/b\n"_qs);
        doubleClick(links, 1, false);
        QCOMPARE(opened_, QStringList{u"http://a.test/2#From:"_qs + publisher_->host()});
        form_ = std::make_unique<Form1>(Endpoints{explorer_->host(), publisher_->host()});
        for (const QAction* action : form_->findChildren<QAction*>()) // kept for the next one
            QVERIFY(action->text() != u"排除nofollow"_qs || action->isChecked());
    }
    void wheel()
    {
        auto* mainGrid = child<FlexGrid>(u"tb1"_qs);
        for (int i = 1; i <= 60; ++i)
            mainGrid->addRow({QString::number(i), u"h.example"_qs, u"1个"_qs});
        Form2 list;
        list.showLinks(u"h.example"_qs, QStringList(60, u"http://h.example/"_qs));
        auto* listGrid = list.findChild<FlexGrid*>(u"tb1"_qs);
        mainGrid->setTopRow(10);
        listGrid->setTopRow(10);
        // Turns over the main window move the grid of whichever window is active.
        for (QWidget* active : {static_cast<QWidget*>(form_.get()), static_cast<QWidget*>(&list)}) {
            active->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(active));
            QWheelEvent turn({9, 9}, mainGrid->viewport()->mapToGlobal(QPointF(9, 9)), {},
                             {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(mainGrid->viewport(), &turn);
        }
        QCOMPARE(QPoint(mainGrid->TopRow(), listGrid->TopRow()), QPoint(11, 11));
    }
    void keyboard()
    {
        QTemporaryDir folder;
        form_->programFolder = folder.path();
        pages_ = {resultPage(u"3"_qs, {u"http://a.example/1"_qs, u"http://b.example/1"_qs,
                                       u"http://b.example/2"_qs})};
        QTest::mouseClick(child<QWidget>(u"Command1"_qs), Qt::LeftButton);
        auto* tb1 = child<FlexGrid>(u"tb1"_qs);
        QTRY_COMPARE(tb1->model()->rowCount(), 2); // the focus came here while the run walked
        QTest::keyClick(tb1, Qt::Key_Return);      // the first row: b.example, the most links
        QTRY_VERIFY(qobject_cast<Form2*>(QApplication::activeWindow()));
        auto* links = QApplication::activeWindow()->findChild<FlexGrid*>(u"tb1"_qs);
        QTRY_VERIFY(links->currentIndex().isValid());
        QTest::keyClick(links, Qt::Key_Enter);
        QCOMPARE(opened_, QStringList{u"http://b.example/1#From:"_qs + publisher_->host()});
        QTest::keyClick(links, Qt::Key_Escape);
        QVERIFY(!links->isVisible());
        QTest::mouseClick(child(u"Label2"_qs), Qt::LeftButton);
        QTRY_VERIFY(qobject_cast<Form3*>(QApplication::activeWindow()));
        QTest::keyClick(QApplication::activeWindow(), Qt::Key_Escape);
        QVERIFY(!qobject_cast<Form3*>(QApplication::activeWindow()));
        QDesktopServices::setUrlHandler(u"http"_qs, this, "noBrowser");
        form_->linkto(u"http://a.example/1"_qs);
        QCOMPARE(child(u"Label1"_qs)->caption(), u"未能打开链接:http://a.example/1"_qs);
        pages_.clear(); // an export while the next run walks writes nothing
        QTest::mouseClick(child<QWidget>(u"Command1"_qs), Qt::LeftButton);
        QTest::mouseClick(child(u"Label3"_qs), Qt::LeftButton);
        QVERIFY(QDir(folder.path()).isEmpty());
        QCOMPARE(boxes().last(), u"Warning:查询或导入尚未完成,不能导出,之前导出的文件保持不变"_qs);
    }
    void gridCells_data()
    {
        QTest::addColumn<QString>("host"); // in the main grid, or "10066" links of one in the list
        QTest::addColumn<QString>("tip");  // on hovering it: none while it shows whole
        const QString cut = u"www.a-very-long-subdomain-name-for-a-test.example-site.com"_qs;
        QTest::newRow("cut short") << cut << cut;
        QTest::newRow("markup") << u"<b>x</b>&amp;"_qs + cut
                                << u"<p>&lt;b&gt;x&lt;/b&gt;&amp;amp;"_qs + cut + u"</p>"_qs;
        QTest::newRow("numbers") << u"10066"_qs << QString();
    }
    void gridCells()
    {
        QFETCH(QString, host);
        auto* tb1 = child<FlexGrid>(u"tb1"_qs);
        tb1->addRow({u"1"_qs, host, u"1个"_qs});
        tb1->setFocus();
        tb1->setRow(1); // its host cell current, the row chosen
        const QImage before = tb1->viewport()->grab().toImage();
        tb1->setCurrentIndex(tb1->model()->index(0, 1));
        const QImage after = tb1->viewport()->grab().toImage();
        const QRect count = tb1->visualRect(tb1->currentIndex());
        int marked = 0; // the left edge of the cell that took the focus turns plainly light
        for (int y = count.top() + 3, x = count.left() + 1; y < count.bottom() - 3; ++y)
            marked += qRed(after.pixel(x, y)) - qRed(before.pixel(x, y)) > 128;
        QVERIFY(marked > count.height() / 2);
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
        const QPoint at = tb1->visualRect(tb1->model()->index(0, 0)).center();
        QHelpEvent hover(QEvent::ToolTip, at, tb1->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tb1->viewport(), &hover);
        QTEST(QToolTip::isVisible() ? QToolTip::text() : QString(), "tip");
        Form2 list;
        list.showLinks(host, QStringList(host.toInt(), u"http://h.example/"_qs));
        QHeaderView* numbers = list.findChild<FlexGrid*>(u"tb1"_qs)->verticalHeader();
        QTRY_COMPARE(numbers->count(), std::max(host.toInt(), 1)); // once the rows are in view
        QVERIFY(numbers->width() >= numbers->QHeaderView::sizeHint().width()); // all shown whole
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
