// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program and the real stand-in process: a whole walk, from the site to the export.
#include "ui/CaptionLabel.h"
#include "ui/FlexGrid.h"
#include "ui/MessageBox.h"
#include "ui/links/Form2.h"
#include "ui/main/Form1.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bigSite()
    {
        // The stand-in takes a free port and names it in its first line: nothing can take it.
        QTemporaryDir data;
        QProcess standin;
        QStringList log; // its first line, then "GET /search?p=...&b=N 200" for each request
        connect(&standin, &QProcess::readyReadStandardOutput, this, [&] {
            while (standin.canReadLine())
                log.append(QString::fromUtf8(standin.readLine()).trimmed());
        });
        standin.start(QStringLiteral(OSTREL_STANDIN_PATH),
                      {u"--port"_s, u"0"_s, u"--data"_s, data.path()});
        QTRY_VERIFY_WITH_TIMEOUT(!log.isEmpty(), 30'000);
        const QString host = log.takeFirst().section(u"http://"_s, 1).section(u',', 0, 0);
        QList<MessageBox::Shown> boxes;
        MessageBox::setRecorder(&boxes);
        const auto restore = qScopeGuard([] { MessageBox::setRecorder(nullptr); });
        Form1 form(Endpoints{host, host});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // The bulletin first, which leaves the query on: it is of the program's own version.
        QTRY_COMPARE(form.findChild<CaptionLabel*>(u"news0"_s)->caption(), u"使用帮助"_s);
        QTest::keyClicks(form.findChild<QWidget*>(u"Text1"_s), u"big.example"_s);
        auto* command1 = form.findChild<QWidget*>(u"Command1"_s);
        QTest::mouseClick(command1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(command1->isEnabled(), 30'000);
        QTRY_COMPARE(log.filter(u"GET /search?p=big.example&"_s).size(), 20);
        QCOMPARE(form.findChild<CaptionLabel*>(u"Label1"_s)->caption(),
                 u"已完成,共309个域名,1000条链接,双击域名可列出链接"_s);

        // The top host's links, by a double-click on its row.
        auto* tb1 = form.findChild<FlexGrid*>(u"tb1"_s);
        const QPoint cell = tb1->visualRect(tb1->model()->index(0, 0)).center();
        QTest::mouseClick(tb1->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(tb1->viewport(), Qt::LeftButton, {}, cell);
        Form2* list = nullptr;
        QTRY_VERIFY((list = qobject_cast<Form2*>(QApplication::activeWindow())));
        auto* links = list->findChild<FlexGrid*>(u"tb1"_s);
        QCOMPARE(list->windowTitle() + QString::number(links->Rows()), u"blog.example224"_s);
        QCOMPARE(links->TextMatrix(1, 1) + links->TextMatrix(223, 1),
                 u"http://blog.example/archives/70769.htmlhttp://blog.example/u/85938"_s);

        // The 309 hosts in the order met, CR LF after each and once more, in CP936; the bytes
        // were worked out apart from the program.
        form.programFolder = data.path();
        QTest::mouseClick(form.findChild<CaptionLabel*>(u"Label3"_s), Qt::LeftButton);
        QFile file(data.filePath(u"big.example外链域名.txt"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex(),
                 "a1e35baa54884dd6ff23a28c612f4a7bb423c7b0b7da2e2f1703ecd131884b1e");
        QCOMPARE(boxes.size(), 1); // the one saying where it went, and no warning before it
        standin.terminate();
        QVERIFY(standin.waitForFinished(30'000));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
