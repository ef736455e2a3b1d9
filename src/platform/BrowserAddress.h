// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QUrl>

// The address handed to the browser for a link's text. The text is taken as it stands: escapes
// already in it stay as they are, and only a "%" that starts no escape is itself escaped, so one
// stray "%" cannot turn every other escape of the link into a different address.
QUrl browserAddress(const QString& text);
