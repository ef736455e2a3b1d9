// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Twips.h"

#include <cmath>

int roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double result = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
        result += 1.0;
    return static_cast<int>(result);
}

int twipsToPixels(double twips)
{
    return roundHalfEven(twips / twipsPerPixel);
}

QPoint centredOrigin(QSize screen, QSize window)
{
    return {roundHalfEven((screen.width() - window.width()) / 2.0),
            roundHalfEven((screen.height() - window.height()) / 2.0)};
}
