// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A result page as the explorer's reply brings it: decoded, parsed and tallied as a run does.
#include "analysis/HostTally.h"
#include "analysis/ResultPage.h"
#include "http/BytesToText.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString html =
        bytesToText(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), u"UTF-8");
    const ResultPage page = parseResultPage(html);
    if ((page.total && (*page.total < 0 || *page.total > resultCap)) ||
        page.results.size() > std::size_t(resultPageStep))
        __builtin_trap();

    HostTally tally;
    QStringView previousHost;
    for (const ResultPage::Result& result : page.results) {
        if (result.number < 0 || result.link.isEmpty())
            __builtin_trap();
        // A result has its link's host, or the host of the result before it when the link has
        // none.
        const QStringView own = hostOfLink(result.link);
        if (result.host != (own.isEmpty() ? previousHost : own))
            __builtin_trap();
        previousHost = result.host;
        tally.add(result.host, result.link);
    }

    if (tally.linkCount() != qsizetype(page.results.size()))
        __builtin_trap();
    qsizetype links = 0;
    for (qsizetype h = 0; h < tally.hostCount(); ++h) {
        if (tally.linkCount(h) == 0 || tally.indexOf(tally.host(h)) != h)
            __builtin_trap();
        links += tally.linkCount(h);
    }
    if (links != tally.linkCount())
        __builtin_trap();
    return 0;
}
