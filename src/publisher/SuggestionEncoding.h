// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringView>

// The form encoding of a suggestion, as the publisher's server reads it. Each UTF-16 unit is
// looked up in the ANSI code page (code page 936; a unit it cannot hold counts as "?"): ASCII
// letters, digits and "*-.@_" stay as they are, a space becomes "+", and everything else becomes
// "%XX" for each byte of its code-page form, in capital hexadecimal, always two digits.
// Texts of any length are encoded.
QString encodeSuggestion(QStringView text);
