// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The fair floor for Ostrel's start-up: what any Qt program with one Chinese caption pays. One
// window of the main window's size holding one label in the font the main window's captions
// use, so the font database and the CJK fallback are loaded as Ostrel loads them; shown, and once
// it is on screen the program quits from a zero timer.
#include "ui/Fonts.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

class QuitOnExpose : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!quitting_ && event->type() == QEvent::Expose &&
            static_cast<QWindow*>(watched)->isExposed()) {
            quitting_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool quitting_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(439, 407); // the main window's size
    QLabel caption(QStringLiteral("查询"), &window);
    caption.setFont(simSunFont(12));
    caption.move(16, 16);
    window.winId();
    QuitOnExpose watch;
    window.windowHandle()->installEventFilter(&watch);
    window.show();
    return app.exec();
}
