// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BenchPages.h"
#include "analysis/HostTally.h"
#include "analysis/ResultPage.h"
#include "http/BytesToText.h"
#include "platform/CodePage.h"
#include "publisher/SuggestionEncoding.h"

#include <QByteArray>
#include <QString>

#include <benchmark/benchmark.h>

namespace {

// One result page from its bytes to its links in the tally, as a run takes each page.
void decodeParseTally(benchmark::State& state)
{
    const QByteArray body = benchResultPage(1, 17);
    for (auto _ : state) {
        const QString html = bytesToText(body, u"UTF-8");
        const ResultPage page = parseResultPage(html);
        HostTally tally;
        for (const ResultPage::Result& result : page.results)
            tally.add(result.host, result.link);
        benchmark::DoNotOptimize(tally.linkCount());
    }
    state.SetBytesProcessed(state.iterations() * body.size());
    state.counters["page_bytes"] = double(body.size());
}

// 20 KB of GB2312, Chinese with ASCII mixed in, as the publisher's pages are.
void decodeGb2312(benchmark::State& state)
{
    QString text;
    while (toAnsiCodePage(text).size() < 20 * 1024)
        text += QStringLiteral("<p>新版本 200912290 发布：外链分析更快，导出域名列表到文本文件。"
                               "<a href=\"http://www.example.com/news/1.html\">详情</a></p>\n");
    const QByteArray body = toAnsiCodePage(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(bytesToText(body, u"GB2312"));
    state.SetBytesProcessed(state.iterations() * body.size());
}

// A suggestion of 10 000 characters, mostly Chinese with ASCII words and punctuation.
void encodeSuggestion10k(benchmark::State& state)
{
    QString text;
    while (text.size() < 10000)
        text += QStringLiteral("建议增加按域名排序的功能, and export as CSV! 谢谢。");
    text.truncate(10000);
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeSuggestion(text));
    state.SetItemsProcessed(state.iterations() * text.size());
}

} // namespace

BENCHMARK(decodeParseTally)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly();
BENCHMARK(decodeGb2312)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly();
BENCHMARK(encodeSuggestion10k)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly();

BENCHMARK_MAIN();
