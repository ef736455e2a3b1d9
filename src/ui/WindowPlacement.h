// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRect>

class QWidget;

// Controls are laid out in twips; these place and read a widget in those units.
void setTwipsGeometry(QWidget* widget, int left, int top, int width, int height);
QRect twipsGeometry(const QWidget* widget);

// Moves a top-level window so that its outer frame sits in the middle of its screen, without
// changing its size: the window load step of every window of the program.
void centreOnScreen(QWidget* window);
