// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Any UTF-16 text, lone surrogates included, into the ANSI code page.
#include "platform/CodePage.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    const QByteArray bytes = toAnsiCodePage(text);
    // Code page 936 writes one or two bytes for each 16-bit unit.
    if (bytes.size() < text.size() || bytes.size() > 2 * text.size())
        __builtin_trap();
    return 0;
}
