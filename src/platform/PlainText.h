// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringView>

// Whether `c` is a character a reader cannot see as written: a control character (line breaks
// and tabs among them), a line or paragraph separator, or a format character, which includes the
// controls that turn the order of the text around them (U+202E shows "moc.elgoog" as
// "google.com").
bool isInvisibleControl(char32_t c);

// Whether `text` holds such a character anywhere.
bool holdsInvisibleControl(QStringView text);

// `text` as one line of at most `maxLength` characters, for a caption that must keep to its
// place and read as what it holds: each invisible control (above) shows as U+FFFD,
// and a longer text is cut, ending in "…".
QString oneLine(const QString& text, qsizetype maxLength);
