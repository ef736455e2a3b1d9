// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The top row of a grid after one turn of the mouse wheel: one row toward the start for a turn
// away from the user (a distance of 0 or more), one row toward the end for a turn toward the user
// (a negative distance), never above row 1 nor beyond `rows` - 1. Only the sign of the distance
// counts, so a turn of several notches and a fine wheel's fraction of a notch both move one row.
int wheelStep(int topRow, int rows, int distance);
