// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WindowPlacement.h"

#include "platform/Twips.h"

#include <QScreen>
#include <QWidget>

void setTwipsGeometry(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                        twipsToPixels(height));
}

QRect twipsGeometry(const QWidget* widget)
{
    const QRect g = widget->geometry();
    return {pixelsToTwips(g.x()), pixelsToTwips(g.y()), pixelsToTwips(g.width()),
            pixelsToTwips(g.height())};
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = window->frameGeometry().size();
    const QPoint origin =
        centredOrigin({pixelsToTwips(area.width()), pixelsToTwips(area.height())},
                      {pixelsToTwips(outer.width()), pixelsToTwips(outer.height())});
    window->move(area.topLeft() + QPoint(twipsToPixels(origin.x()), twipsToPixels(origin.y())));
}
