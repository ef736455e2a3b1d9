// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GridFit.h"

#include <algorithm>

QSize fittedGridSize(QSize windowOuter, QPoint gridOrigin)
{
    return {std::max(windowOuter.width() - 3 * gridOrigin.x(), 0),
            std::max(windowOuter.height() - 6 * gridOrigin.y(), 0)};
}

int fillingColumnWidth(int gridWidth, int firstColumnWidth)
{
    return std::max(gridWidth - firstColumnWidth, 0);
}
