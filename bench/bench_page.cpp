#include "analysis/HostTally.h"
#include "analysis/ResultPage.h"
#include "http/BytesToText.h"

#include <QByteArray>
#include <QString>

#include <benchmark/benchmark.h>

namespace {

// A result page as the explorer sends it: a header with the total, fifty results with a title,
// a snippet and the shown address, and a footer with the page links. About 12 KB of UTF-8.
QByteArray resultPage()
{
    QString html = QStringLiteral(
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Site Explorer - "
        "example.com</title>\n<link rel=\"stylesheet\" href=\"/s/explorer.css\"></head>\n<body>"
        "<div id=\"hd\"><form action=\"/search\"><input name=\"p\" value=\"example.com\">"
        "</form></div>\n<div id=\"info\">外链 共 <strong>23817</strong> 条</div>\n<div>\n");
    for (int n = 1; n <= 50; ++n) {
        const QString host = QStringLiteral("www.site%1.example.net").arg(n % 17);
        html += QStringLiteral("<h1>%1. <a href=\"http://%2/archives/%3/article-%4.html\">"
                               "博客文章 %4 - 网站优化</a></h1>\n"
                               "<p>讨论外链的价值 and links.</p>\n"
                               "<em>%2/archives/%3/article-%4.html - 12k</em>\n")
                    .arg(n)
                    .arg(host)
                    .arg(2009 - n % 3)
                    .arg(1000 + n);
    }
    html += QStringLiteral("</div>\n<div id=\"pg\">");
    for (int b = 1; b <= 951; b += 50)
        html += QStringLiteral("<a href=\"/search?p=example.com&amp;b=%1\">%1</a> ").arg(b);
    html +=
        QStringLiteral("</div>\n<div id=\"ft\">&copy; 2009 Site Explorer</div></body></html>\n");
    return html.toUtf8();
}

void decodeParseTally(benchmark::State& state)
{
    const QByteArray body = resultPage();
    for (auto _ : state) {
        const QString html = bytesToText(body, u"UTF-8");
        const ResultPage page = parseResultPage(html);
        HostTally tally;
        for (const ResultPage::Result& result : page.results)
            tally.add(result.host.toString(), result.link.toString());
        benchmark::DoNotOptimize(tally.linkCount());
    }
    state.SetBytesProcessed(state.iterations() * body.size());
    state.counters["page_bytes"] = double(body.size());
}

} // namespace

BENCHMARK(decodeParseTally)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly();

BENCHMARK_MAIN();
