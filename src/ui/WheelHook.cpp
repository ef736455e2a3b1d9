// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WheelHook.h"

#include "FlexGrid.h"
#include "platform/WheelStep.h"

#include <QApplication>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>

namespace {

// Marks a hooked window; the mark goes with the window when it is destroyed.
constexpr char hookedProperty[] = "ostrelWheelHooked";

QPointer<WheelHook> filter;

bool isHooked(const QWidget* widget)
{
    const QWidget* window = widget->window();
    return window && window->property(hookedProperty).toBool();
}

} // namespace

void WheelHook::install(QWidget* window)
{
    window->setProperty(hookedProperty, true);
    if (filter)
        return;
    filter = new WheelHook(qApp);
    qApp->installEventFilter(filter);
}

bool WheelHook::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel || !watched->isWidgetType())
        return false;
    const auto* wheel = static_cast<QWheelEvent*>(event);
    // A tilt of the wheel sideways is another motion altogether: the grid scrolls across on its
    // own. Touchpads open and close a scroll with events that carry no distance and are no turn
    // of the wheel.
    if (wheel->angleDelta().y() == 0 &&
        (wheel->angleDelta().x() != 0 || wheel->phase() == Qt::ScrollBegin ||
         wheel->phase() == Qt::ScrollEnd))
        return false;
    if (!isHooked(static_cast<QWidget*>(watched)))
        return false;

    // The grid scrolled is the active window's, not necessarily the one under the mouse; with no
    // window of the program active the turn is dropped.
    if (QWidget* active = QApplication::activeWindow()) {
        if (auto* grid = active->findChild<FlexGrid*>(QStringLiteral("tb1")))
            grid->setTopRow(wheelStep(grid->TopRow(), grid->Rows(), wheel->angleDelta().y()));
    }
    return true;
}
