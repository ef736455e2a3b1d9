// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPoint>
#include <QSize>

// Layout is written in twips, 15 to a pixel at 96 dpi; Qt's logical pixels scale on high-DPI
// screens, so 15 twips to a logical pixel holds everywhere.
inline constexpr int twipsPerPixel = 15;

// The nearest whole number, a value exactly halfway going to the even neighbour (7.5 -> 8,
// 8.5 -> 8), which is how every layout value of the program is made whole.
int roundHalfEven(double value);

int twipsToPixels(double twips);
inline int pixelsToTwips(int pixels)
{
    return pixels * twipsPerPixel;
}

// Where a window of outer size `window` goes so that it sits in the middle of a screen of size
// `screen`, both in twips. Negative when the window is larger than the screen.
QPoint centredOrigin(QSize screen, QSize window);
