// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Ostrel as its main() starts it, for the start-up and memory measures: the main window is built
// and shown, and once it is on screen the probe quits from a zero timer. Given a site, it first
// runs the analysis of that site and quits when the run has ended.
// Usage: probe_ostrel EXPLORER_HOST PUBLISHER_HOST [SITE]
// Exit status 0 only when everything went as planned (no message box, a whole run).
#include "ui/CaptionLabel.h"
#include "ui/MessageBox.h"
#include "ui/main/Form1.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <functional>
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

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.ostrel.Ostrel"));
    QList<MessageBox::Shown> boxes;
    MessageBox::setRecorder(&boxes);
    const QString site = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    Form1 form1({QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])});
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
