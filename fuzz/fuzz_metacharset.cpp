// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A reply of unnamed charset: decoded as GB2312, then searched for a UTF-8 meta declaration.
#include "http/BytesToText.h"

#include <QRegularExpression>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = bytesToText(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), u"gb2312");
    // The scan must mean what this pattern means. The pattern's case-blind match also takes
    // U+017F for "s", which code page 936 cannot write, so on decoded pages the two agree.
    static const QRegularExpression pattern(QStringLiteral("<meta[^>]+charset=utf-8"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::MultilineOption);
    if (declaresUtf8(text) != pattern.match(text).hasMatch())
        __builtin_trap();
    return 0;
}
