// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Ostrel as its main() starts it, for the start-up and memory measures: the main window is built
// and shown, and once it is on screen the probe quits from a zero timer. Given a site, it first
// runs the analysis of that site and quits when the run has ended.
// With OSTREL_PROBE_PHASES naming a file, the first uses of what the window needs are made one by
// one before it is built (the fonts, the network manager and a first request) and the time each
// took is appended to that file as "phase milliseconds" lines.
// Usage: probe_ostrel EXPLORER_HOST PUBLISHER_HOST [SITE]
// Exit status 0 only when everything went as planned (no message box, a whole run).
#include "ui/CaptionLabel.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/main/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFontMetrics>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>
#include <utility>

namespace {

// Calls `then` once, the first time `window` is exposed.
class ExposeWatch : public QObject {
public:
    ExposeWatch(QWindow* window, std::function<void()> then)
        : QObject(window), window_(window), then_(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (then_ && event->type() == QEvent::Expose && window_->isExposed()) {
            QTimer::singleShot(0, this, std::exchange(then_, nullptr));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWindow* window_;
    std::function<void()> then_;
};

// Appends "name milliseconds" for each phase since the last one to the file named by
// OSTREL_PROBE_PHASES, when there is one.
class Phases {
public:
    Phases() : path_(qEnvironmentVariable("OSTREL_PROBE_PHASES")) { clock_.start(); }
    bool on() const { return !path_.isEmpty(); }
    void mark(const char* name)
    {
        const qint64 now = clock_.nsecsElapsed();
        lines_ += QByteArray(name) + ' ' + QByteArray::number((now - last_) / 1e6) + '\n';
        last_ = now;
    }
    ~Phases()
    {
        QFile file(path_);
        if (on() && file.open(QIODevice::Append))
            file.write(lines_);
    }

private:
    QString path_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    QByteArray lines_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    Phases phases;
    QApplication app(argc, argv);
    phases.mark("application");
    if (phases.on()) {
        // The window's fonts: the font database, and the CJK fallback its captions need.
        QFontMetrics(simSunFont(12))
            .horizontalAdvance(QStringLiteral("本工具能分析所有外链的前1000条"));
        phases.mark("fonts");
        // The network: a manager, and one request answered (the bulletin's, on the window).
        QNetworkAccessManager manager;
        QEventLoop loop;
        const std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(
            QUrl(QStringLiteral("http://") + QString::fromLocal8Bit(argv[2]) + u"/qzupdate/"_qs))));
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        phases.mark("network");
    }
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.ostrel.Ostrel"));
    QList<MessageBox::Shown> boxes;
    MessageBox::setRecorder(&boxes);
    const QString site = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    Form1 form1({QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])});
    phases.mark("window");
    auto* command1 = form1.findChild<QPushButton*>(QStringLiteral("Command1"));
    bool ran = false;
    QTimer poll; // the run has no signal of its end: watch for the query button coming back
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (command1->isEnabled()) {
            ran = true;
            QApplication::quit();
        }
    });
    new ExposeWatch(form1.windowHandle(), [&] {
        phases.mark("first-frame");
        if (site.isEmpty()) {
            QApplication::quit();
            return;
        }
        form1.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(site);
        command1->click();
        poll.start(1);
    });
    form1.show();
    const int status = app.exec();
    MessageBox::setRecorder(nullptr);
    if (!boxes.isEmpty())
        return 3;
    if (!site.isEmpty() && (!ran || !form1.findChild<CaptionLabel*>(QStringLiteral("Label1"))
                                         ->caption()
                                         .startsWith(QStringLiteral("已完成"))))
        return 4;
    return status;
}
