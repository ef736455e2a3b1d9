// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Reply bodies in every charset the program names, and in one it does not know.
#include "http/BytesToText.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString charsets[] = {u"UTF-8"_qs, u"utf-8"_qs, u"GB2312"_qs, u"gb2312"_qs,
                                       u"x-unknown"_qs};
    if (size == 0)
        return 0;
    const QString& charset = charsets[data[0] % std::size(charsets)];
    const QByteArrayView body(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const QString text = bytesToText(body, charset);
    // Every byte gives at most one character, a replacement character included.
    if (text.size() > body.size())
        __builtin_trap();
    return 0;
}
