// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPoint>
#include <QSize>

// A grid that fills its window: its left and top offsets serve as its margins, three times the
// left one across and six times the top one down, which leaves room for the window frame and
// caption that the outer size includes. All values in twips; a window smaller than the margins
// gives an empty grid, never a negative size.
QSize fittedGridSize(QSize windowOuter, QPoint gridOrigin);

// The width of the last column of a two-column grid that takes all the room the fixed first
// column leaves; zero when there is none.
int fillingColumnWidth(int gridWidth, int firstColumnWidth);
