// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WheelStep.h"

int wheelStep(int topRow, int rows, int distance)
{
    if (distance >= 0)
        return topRow > 1 ? topRow - 1 : topRow;
    return topRow < rows - 1 ? topRow + 1 : topRow;
}
