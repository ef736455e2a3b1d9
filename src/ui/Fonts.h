// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFont>

// SimSun at the given size, with CJK fonts that Linux systems carry as fallbacks when SimSun is
// missing (fonts-wqy-microhei on Debian), so Chinese captions never fall back to boxes.
QFont simSunFont(int pointSize, bool underline = false);
