// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

// The program's version, as it asks the publisher for news and answers --version.
inline constexpr qint32 ostrelVersion = 200912290;
