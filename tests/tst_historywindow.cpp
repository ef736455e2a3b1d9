// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The history as a user meets it: runs of imports, the grid's marks, the history window opened
// through the grid's menu, and the faults of the history file.

#include "ui/FlexGrid.h"
#include "ui/GridMenu.h"
#include "ui/MessageBox.h"
#include "ui/history/HistoryControl.h"
#include "ui/history/HistoryWindow.h"
#include "ui/main/Form1.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Stands in for the export reader: "a2.c1.csv" gives two links of a.test and one of c.test.
ImportResult byName(const QStringList& paths, const ImportProgress&, const ImportCancelled&)
{
    ImportResult result;
    for (const QString& item : QFileInfo(paths[0]).completeBaseName().split(u'.'))
        for (int i = 0; i < item.mid(1).toInt(); ++i)
            result.tally.add(QString(item.left(1) + u".test"_qs),
                             u"http://%1.test/%2"_qs.arg(item[0]).arg(i));
    return result;
}

// Every row of a view as "cell cell ...; ...".
QString rows(const QAbstractItemModel* model)
{
    QStringList all;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells.append(model->index(r, c).data().toString());
        all.append(cells.join(u' '));
    }
    return all.join(u"; "_qs);
}

} // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
        MessageBox::setRecorder(&boxes_);
        form_ = std::make_unique<Form1>(Endpoints{u"127.0.0.1:9"_qs, u"127.0.0.1:9"_qs});
        form_->importReader = byName;
        form_->findChild<QLineEdit*>(u"Text1"_qs)->setText(u" Site.Test"_qs);
    }
    void cleanup()
    {
        form_.reset();
        MessageBox::setRecorder(nullptr);
        boxes_.clear();
    }
    void throughTheMenu();
    void faults_data();
    void faults();

private:
    void use(const QString& path)
    {
        form_->useHistory(path);
        QVERIFY(QSignalSpy(form_->history(), &HistoryControl::settled).wait(10000));
    }
    void import(const QString& name)
    {
        QSignalSpy settled(form_->history(), &HistoryControl::settled);
        form_->importFiles({dir_.filePath(name)});
        QVERIFY(settled.wait(10000));
    }
    QString marks() const
    {
        auto* tb1 = form_->findChild<FlexGrid*>(u"tb1"_qs);
        QStringList marked;
        for (int r = 0; r < tb1->model()->rowCount(); ++r) {
            const QModelIndex host = tb1->model()->index(r, 0);
            if (host.data(Qt::AccessibleDescriptionRole).toString() == u"新增" &&
                host.data(Qt::ToolTipRole).toString() == u"新增")
                marked.append(host.data().toString());
        }
        return marked.join(u' ');
    }

    QTemporaryDir dir_;
    std::unique_ptr<Form1> form_;
    QList<MessageBox::Shown> boxes_;
};

void TestHistoryWindow::throughTheMenu()
{
    use(dir_.filePath(u"menu/history.sqlite"_qs));
    import(u"a2.b1.csv"_qs);
    QCOMPARE(marks(), QString());
    import(u"c3.a1.csv"_qs);
    QCOMPARE(marks(), u"c.test"_qs);
    QCOMPARE(form_->findChild<QLabel*>(u"Label1"_qs)->text(),
             u"已完成,共2个域名,4条链接,双击域名可列出链接"_qs);

    auto* menu = form_->findChild<GridMenu*>();
    QAction* history = nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == u"历史记录")
            history = action;
    QVERIFY(history);
    history->trigger();
    HistoryWindow* window = form_->history()->window();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), u"历史记录 - site.test"_qs);
    QCOMPARE(window->findChild<QLabel*>(u"summary"_qs)->text(), u"新增1个,丢失1个,保留1个"_qs);
    auto* comparison = window->findChild<QTableView*>(u"comparison"_qs);
    QCOMPARE(rows(comparison->model()),
             u"c.test 新增 0 3 +3; b.test 丢失 1 0 -1; a.test 保留 2 1 -1"_qs);

    // The links of a lost host come from the older snapshot.
    QSignalSpy links(window, &HistoryWindow::linksRequested);
    Q_EMIT comparison->doubleClicked(comparison->model()->index(1, 0));
    QCOMPARE(links.value(0).value(1).toStringList(), QStringList{u"http://b.test/0"_qs});

    window->askSavePath = [this](const QString&) { return dir_.filePath(u"cmp.csv"_qs); };
    QTest::mouseClick(window->findChild<QPushButton*>(u"export"_qs), Qt::LeftButton);
    QFile csv(dir_.filePath(u"cmp.csv"_qs));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll().count("\r\n"), 4);

    // Keeping off: nothing more is written, and the choice is remembered.
    QAction* keep = form_->history()->keepAction();
    keep->trigger();
    import(u"d1.csv"_qs);
    QCOMPARE(marks(), u"d.test"_qs);
    QVERIFY(!QSettings().value(u"history/keep"_qs).toBool());
    auto* snapshots = window->findChild<QTableView*>(u"snapshots"_qs);
    QCOMPARE(snapshots->model()->rowCount(), 2);

    MessageBox::setNextAnswers({-1});
    snapshots->selectRow(0);
    QTest::mouseClick(window->findChild<QPushButton*>(u"delete"_qs), Qt::LeftButton);
    QCOMPARE(snapshots->model()->rowCount(), 2);
    MessageBox::setNextAnswers({0});
    QTest::mouseClick(window->findChild<QPushButton*>(u"delete"_qs), Qt::LeftButton);
    QCOMPARE(snapshots->model()->rowCount(), 1);
    QCOMPARE(window->findChild<QLabel*>(u"summary"_qs)->text(), u"新增0个,丢失0个,保留2个"_qs);
    form_->close(); // and the history window with it, or the program would stay up
    QVERIFY(!window->isVisible());
}

void TestHistoryWindow::faults_data()
{
    QTest::addColumn<QString>("file");     // the history file, in the test's folder
    QTest::addColumn<QByteArray>("bytes"); // what it holds before, or "<blocked>": a file
                                           // where its folder should be
    QTest::addColumn<QString>("box");      // the Warning box, with %1 for the test's folder
    QTest::newRow("damaged")
        << u"damaged/h.sqlite"_qs << QByteArray(3000, 'x')
        << u"历史文件%1/damaged/h.sqlite已损坏,已移到%1/damaged/h.sqlite.damaged-"_qs;
    QTest::newRow("unwritable folder") << u"blocked/h.sqlite"_qs << QByteArray("<blocked>")
                                       << u"无法使用历史文件%1/blocked/h.sqlite:无法创建文件夹"_qs;
}

void TestHistoryWindow::faults()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, box);
    const QString folder = file.section(u'/', 0, 0);
    QFile existing(dir_.filePath(bytes == "<blocked>" ? folder : file));
    QVERIFY(QDir(dir_.path()).mkpath(bytes == "<blocked>" ? u"."_qs : folder));
    QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write(bytes) == bytes.size());
    existing.close();
    use(dir_.filePath(file));
    QCOMPARE(boxes_.size(), 1);
    QVERIFY2(boxes_[0].text.startsWith(box.arg(dir_.path())), qPrintable(boxes_[0].text));
    QCOMPARE(boxes_[0].title, u"Warning"_qs);
    // The results show as ever.
    form_->importFiles({dir_.filePath(u"a1.csv"_qs)});
    QTRY_COMPARE(form_->findChild<FlexGrid*>(u"tb1"_qs)->TextMatrix(1, 1), u"a.test"_qs);
}

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
