// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QStringView>

// The program's stand-in for the system's ANSI code page: code page 936 (GBK), what a Simplified
// Chinese system writes. The suggestion encoding goes through here.
// Each 16-bit unit the code page cannot hold becomes "?".
QByteArray toAnsiCodePage(QStringView text);

// The code page's name as glibc iconv knows it.
inline constexpr const char* ansiCodePageName = "CP936";
