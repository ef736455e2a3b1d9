// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A disavow file the user picks, read as UTF-8, and merged with marks taken from its own lines:
// the file stays whole at the front, and nothing added is a line a search engine would refuse.
#include "analysis/DisavowFile.h"

#include <QStringDecoder>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    const DisavowContents contents = readDisavowText(text);
    for (const QString& entry : contents.entries)
        if (entry != disavowUrlEntry(entry) && entry != disavowDomainEntry(entry.mid(7)))
            __builtin_trap();

    // The file's lines, also as names of the grid and links of the link list.
    QStringList marks;
    for (const QString& line : text.split(u'\n')) {
        marks.append(line);
        marks.append(disavowDomainEntry(line));
        marks.append(disavowUrlEntry(line));
    }
    const DisavowMerge merged = mergeDisavow(text, marks, QDate(2026, 12, 7));
    if (!merged.bytes.startsWith(text.toUtf8()))
        __builtin_trap();
    const DisavowContents after = readDisavowText(QString::fromUtf8(merged.bytes));
    if (after.refused.size() != contents.refused.size())
        __builtin_trap();
    // Merging again adds nothing.
    if (!mergeDisavow(QString::fromUtf8(merged.bytes), marks, QDate(2026, 12, 7)).added.isEmpty())
        __builtin_trap();
    return 0;
}
