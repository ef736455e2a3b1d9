// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CompactNumbers.h"

void putNumber(QByteArray& out, quint64 value)
{
    while (value >= 0x80) {
        out += char(value | 0x80);
        value >>= 7;
    }
    out += char(value);
}

bool takeNumber(const char*& at, const char* end, quint64& value)
{
    value = 0;
    for (int shift = 0; at < end && shift < 64; shift += 7) {
        const auto byte = quint8(*at++);
        value |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

quint64 zigzag(qint64 value)
{
    return (quint64(value) << 1) ^ quint64(value >> 63);
}

qint64 unzigzag(quint64 value)
{
    return qint64(value >> 1) ^ -qint64(value & 1);
}
