// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The least a Qt program can do that Ostrel's start-up is measured against: one empty window,
// shown, and once it is on screen the program quits from a zero timer.
#include <QApplication>
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
    window.winId();
    QuitOnExpose watch;
    window.windowHandle()->installEventFilter(&watch);
    window.show();
    return app.exec();
}
