// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Any UTF-16 text, lone surrogates included, as the href of a result.
#include "analysis/ResultPage.h"

#include <QRegularExpression>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString link(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    const QStringView host = hostOfLink(link);

    if (!host.isEmpty()) {
        // A stretch of the link itself, between "http://" and a slash, holding no slash.
        const qsizetype at = host.data() - link.constData();
        if (at < 7 || at + host.size() >= link.size() || host.contains(u'/') ||
            link[at + host.size()] != u'/' ||
            QStringView(link).sliced(at - 7, 7).compare(u"http://", Qt::CaseInsensitive) != 0)
            __builtin_trap();
    }

    // The pattern the hand-written scan stands for; the matcher reads only well-formed UTF-16.
    static const QRegularExpression pattern(QStringLiteral("http://([^/]+)/"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (link.isValidUtf16()) {
        const QRegularExpressionMatch match = pattern.match(link);
        const qsizetype at = host.isEmpty() ? -1 : host.data() - link.constData();
        if (match.hasMatch() != !host.isEmpty() ||
            (match.hasMatch() && (match.capturedStart(1) != at || match.capturedView(1) != host)))
            __builtin_trap();
    }
    return 0;
}
