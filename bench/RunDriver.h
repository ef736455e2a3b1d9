// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

// Tells when a run has ended: the query button is enabled again as its last step.
class EndWatch : public QObject {
public:
    explicit EndWatch(QPushButton& command1) : command1_(command1)
    {
        command1.installEventFilter(this);
    }

    void reset() { ended_ = false; }
    bool ended() const { return ended_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &command1_ && event->type() == QEvent::EnabledChange &&
            command1_.isEnabled())
            ended_ = true;
        return QObject::eventFilter(watched, event);
    }

private:
    QPushButton& command1_;
    bool ended_ = false;
};

// Shows `window` and returns once it is on screen, so that what is measured next includes no
// part of its first showing.
inline void showExposed(QWidget& window)
{
    window.show();
    while (!window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Counts the events the application delivers while it is installed.
class EventCount : public QObject {
public:
    EventCount() { qApp->installEventFilter(this); }
    ~EventCount() override { qApp->removeEventFilter(this); }
    long long count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        ++count;
        return QObject::eventFilter(watched, event);
    }
};

// Delivers events until a turn of the loop finds none left: what a step left the window to do
// (lay out, paint, delete later) is done.
inline void settle()
{
    const EventCount events;
    long long seen;
    do {
        seen = events.count;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    } while (events.count != seen);
}

// From the click on the query button until the run has ended and the window has done all that
// the end left it to do (lay the grid out, draw it). In milliseconds.
[[gnu::noinline]] inline double timeRun(QPushButton& command1, EndWatch& watch)
{
    watch.reset();
    QElapsedTimer timer;
    timer.start();
    command1.click();
    while (!watch.ended())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    settle();
    return timer.nsecsElapsed() / 1e6;
}
