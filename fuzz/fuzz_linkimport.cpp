// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Link exports in every encoding the reader knows and with every delimiter. The first byte picks
// the encoding and the delimiter, which stands for each '|' of the rest; the rest as it is is
// the bytes of the file in "raw" mode, and read as UTF-8 and encoded again in the others.
#include "analysis/ExportLayout.h"
#include "analysis/LinkImport.h"
#include "platform/Iconv.h"

#include <QFile>
#include <QSet>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QTemporaryDir dir;
    static const QString path = dir.filePath(u"export.csv"_qs);
    if (size == 0)
        return 0;
    const char delimiters[] = {',', '\t', ';', '|'};
    const char delimiter = delimiters[data[0] % 4];
    QByteArray raw(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    raw.replace('|', delimiter);
    const QString text = QString::fromUtf8(raw);
    QByteArray bytes;
    switch (data[0] / 4 % 6) {
    case 0:
        bytes = raw;
        break;
    case 1:
        bytes = "\xEF\xBB\xBF" + text.toUtf8();
        break;
    case 2:
        bytes = QStringEncoder(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom)(text);
        break;
    case 3:
        bytes = QStringEncoder(QStringConverter::Utf16BE, QStringEncoder::Flag::WriteBom)(text);
        break;
    case 4:
        bytes = Iconv("GB18030", Iconv::utf16Name()).encode(text, '?');
        break;
    default:
        bytes = text.toUtf8();
        break;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        __builtin_trap();
    file.close();

    const ImportResult result = importLinkExports({path, path});
    // Read twice, every address is met again and counts once; each is trimmed, under its own
    // host, and no more of them than there are bytes.
    QSet<QString> links;
    const HostTally& tally = result.tally;
    for (qsizetype h = 0; h < tally.hostCount(); ++h) {
        // A row counts its links at least, and one of a referring-domain file names a domain
        // as such; what a file says of a link is bounded.
        if (tally.host(h).isEmpty() || tally.count(h) < std::max<qint64>(tally.linkCount(h), 1) ||
            (tally.linkCount(h) == 0 && bareDomain(tally.host(h)) != tally.host(h)))
            __builtin_trap();
        for (qsizetype i = 0; i < tally.linkCount(h); ++i)
            for (auto field :
                 {HostTally::Field::Anchor, HostTally::Field::Target, HostTally::Field::Rel})
                if (tally.field(h, i, field).toUtf8().size() > 2048)
                    __builtin_trap();
        for (const QString& link : tally.links(h)) {
            if (link != link.trimmed() || importedLinkHost(link) != tally.host(h) ||
                tally.host(h).isEmpty() || links.contains(link))
                __builtin_trap();
            links.insert(link);
        }
    }
    if (result.tally.linkCount() != links.size() || links.size() > qsizetype(size) ||
        (result.problems.size() != 0 && result.problems.size() != 2))
        __builtin_trap();
    return 0;
}
