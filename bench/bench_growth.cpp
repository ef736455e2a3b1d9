// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// How the stages that grow with a run's links scale: the tally, the end-of-run grid fill and sort
// of the main window, and the link list window, for 1 000, 10 000 and 100 000 links. A run stops
// at 1000 links; the larger sizes show that nothing is worse than n log n. Each reports its time,
// its time per link and the heap it holds afterwards.
// Beside them, two sizes a user meets in a large import: 40 000 hosts filling and sorting the
// main window's grid, and one host of 200 000 links opening its link list.
#include "PageServer.h"
#include "RunDriver.h"
#include "analysis/HostTally.h"
#include "ui/FlexGrid.h"
#include "ui/MessageBox.h"
#include "ui/links/Form2.h"
#include "ui/main/Form1.h"

#include <QApplication>
#include <QWindow>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <vector>

namespace {

// Bytes the heap holds for the program right now.
double heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

// n links, spread over n/2 hosts as a hash scatters them: most hosts get one to four links,
// some none, so the grid has about 0.43 n rows with many equal counts to sort.
struct Links {
    std::vector<QString> hosts;
    std::vector<QString> links;
};

Links makeLinks(int n)
{
    Links made;
    const quint32 hostSlots = std::max(1, n / 2);
    for (int k = 0; k < n; ++k) {
        quint32 mixed = quint32(k) * 2654435761u;
        mixed ^= mixed >> 15;
        mixed *= 2246822519u;
        mixed ^= mixed >> 13;
        const quint32 slot = mixed % hostSlots;
        const QString host = QStringLiteral("www.host%1.example.net").arg(slot);
        made.hosts.push_back(host);
        made.links.push_back(
            QStringLiteral("http://%1/archives/2009/article-%2.html").arg(host).arg(k));
    }
    return made;
}

// Exactly `hostCount` hosts of one to four links each (about 2.5 a host), in a scattered order,
// so the sort meets many equal counts as a large import does.
Links makeHosts(int hostCount)
{
    Links made;
    for (int round = 0; round < 4; ++round)
        for (int h = 0; h < hostCount; ++h) {
            quint32 mixed = quint32(h) * 2654435761u;
            mixed ^= mixed >> 15;
            if (int(mixed % 4) < round)
                continue;
            const QString host = QStringLiteral("www.host%1.example.net").arg(mixed);
            made.hosts.push_back(host);
            made.links.push_back(
                QStringLiteral("http://%1/archives/2009/article-%2.html").arg(host).arg(round));
        }
    return made;
}

// The links as a run would have tallied them: every string a fresh copy, as taken from a page.
HostTally tallied(const Links& links)
{
    HostTally tally;
    for (std::size_t k = 0; k < links.links.size(); ++k)
        tally.add(QStringView(links.hosts[k]).toString(), QStringView(links.links[k]).toString());
    return tally;
}

void setCounters(benchmark::State& state, double heapBytes)
{
    const double n = double(state.range(0));
    state.counters["per_link"] = benchmark::Counter(
        n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["heap_MiB"] = heapBytes / (1024.0 * 1024.0);
    state.counters["heap_B_per_link"] = heapBytes / n;
}

// Answers every request of the windows (the publisher's bulletin) with a 404 at once.
PageServer* publisher = nullptr;

std::unique_ptr<Form1> shownForm1()
{
    auto form = std::make_unique<Form1>(Endpoints{publisher->host(), publisher->host()});
    showExposed(*form);
    return form;
}

void tally(benchmark::State& state)
{
    const Links links = makeLinks(int(state.range(0)));
    double heap = 0;
    for (auto _ : state) {
        const double before = heapInUse();
        auto tally = std::make_unique<HostTally>(tallied(links));
        heap = heapInUse() - before;
        benchmark::DoNotOptimize(tally->linkCount());
        state.PauseTiming();
        tally.reset();
        state.ResumeTiming();
    }
    setCounters(state, heap);
}

// The end of a run in the main window: one grid row per host, sorted by links, the totals shown.
void fillAndSort(benchmark::State& state, const HostTally& full)
{
    const std::unique_ptr<Form1> form = shownForm1();
    auto* tb1 = form->findChild<FlexGrid*>(QStringLiteral("tb1"));
    // A last page whose only result reaches its total ends the run.
    const QString lastPage =
        QStringLiteral("共 <strong>1</strong> 条<h1>1. <a href=\"http://last.example/\">");
    double heap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tb1->Clear();
        tb1->setRows(1);
        form->run.start();
        form->run.dict = full;
        QCoreApplication::processEvents();
        const double before = heapInUse();
        state.ResumeTiming();
        form->fetchResult(0, lastPage);
        QCoreApplication::processEvents(); // the view takes the rows and repaints
        heap = heapInUse() - before;
    }
    setCounters(state, heap);
    // One row a host, the last page's host, and the fixed heading row: anything else means the
    // grid was not filled and the time is not worth reading.
    if (tb1->Rows() != full.hostCount() + 2)
        state.SkipWithError("the grid did not get one row a host");
}

void gridFillAndSort(benchmark::State& state)
{
    fillAndSort(state, tallied(makeLinks(int(state.range(0)))));
}

// The same with the number of hosts given rather than of links. Google Benchmark's CSV wants the
// same counters on every row, so this one has no counters of its own.
void gridHosts(benchmark::State& state)
{
    const HostTally full = tallied(makeHosts(int(state.range(0))));
    fillAndSort(state, full);
}

// The link list window loaded with one host of n links, shown.
void linkList(benchmark::State& state)
{
    const int n = int(state.range(0));
    const QString host = QStringLiteral("www.example.net");
    QStringList links;
    for (int k = 0; k < n; ++k)
        links.append(QStringLiteral("http://www.example.net/archives/article-%1.html").arg(k));
    Form2 form2;
    auto* tb1 = form2.findChild<FlexGrid*>(QStringLiteral("tb1"));
    double heap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        form2.close();
        tb1->setRows(2);
        QCoreApplication::processEvents();
        const double before = heapInUse();
        state.ResumeTiming();
        form2.showLinks(host, links);
        QCoreApplication::processEvents(); // shown and painted
        heap = heapInUse() - before;
    }
    setCounters(state, heap);
}

} // namespace

BENCHMARK(tally)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(gridFillAndSort)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(linkList)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(gridHosts)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(linkList)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<MessageBox::Shown> boxes;
    MessageBox::setRecorder(&boxes);
    PageServer server({});
    publisher = &server;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    MessageBox::setRecorder(nullptr);
    return boxes.isEmpty() ? 0 : 1;
}
