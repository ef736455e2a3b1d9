// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

// Numbers as the store writes them into its blobs: seven bits a byte, least significant first,
// the high bit set on every byte but the last; signed ones zigzag-coded first.
void putNumber(QByteArray& out, quint64 value);
// Reads a number put by putNumber; false at the end of `in` or on a number that never ends.
bool takeNumber(const char*& at, const char* end, quint64& value);
quint64 zigzag(qint64 value);
qint64 unzigzag(quint64 value);
