// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

class QWidget;

// Makes the mouse wheel scroll the grid `tb1` of the program's active window by one row per wheel
// event, whichever of the hooked windows the wheel was turned over. One filter on the application
// takes the vertical wheel events bound for a hooked window or any of its children before the
// widget under the mouse scrolls on its own; every other event goes its usual way.
class WheelHook : public QObject {
    Q_OBJECT
public:
    // Hooks `window` (a top-level window) for as long as it lives; hooking a window again, or
    // another window, changes nothing for the windows already hooked.
    static void install(QWidget* window);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
