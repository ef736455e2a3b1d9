// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

// How long the event loop is kept from its work: a 1 ms repeating timer, and the longest time by
// which one of its ticks came late. A loop that is never blocked lets each tick come within a
// fraction of a millisecond; whatever runs between two turns of the loop (a reply handled, the
// grid filled, a paint) shows as lateness.
class StallMeter : public QObject {
public:
    StallMeter()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const qint64 now = clock_.nsecsElapsed();
            worstNs_ = std::max(worstNs_, now - last_ - 1'000'000);
            last_ = now;
        });
    }

    // Starts a new measure: the worst lateness so far is forgotten.
    void start()
    {
        worstNs_ = 0;
        clock_.start();
        last_ = 0;
        timer_.start();
    }
    // Stops the timer; a stall that ran up to this moment counts too.
    void stop()
    {
        timer_.stop();
        worstNs_ = std::max(worstNs_, clock_.nsecsElapsed() - last_ - 1'000'000);
    }

    // The longest lateness of a tick since start(), in milliseconds.
    double worstMs() const { return worstNs_ / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 worstNs_ = 0;
};
