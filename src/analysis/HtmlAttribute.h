// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringView>

// The value of a quoted HTML attribute as a browser reads it from `raw`, the text between its
// quotes: character references decoded ("&amp;" is "&", "&#38;" and "&#x26;" too), with the
// rules browsers keep for a reference without its semicolon ("&copy=1" in an address stays as
// written), NUL read as U+FFFD and line ends as LF.
QString htmlAttributeValue(QStringView raw);
