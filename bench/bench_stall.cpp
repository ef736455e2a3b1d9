// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// How long the main window keeps its event loop from other work, measured as the lateness of a
// 1 ms repeating timer: during a whole 1000-result run, its end included, and during a run whose
// first page is hostile, 100 000 results on one page. Both in the real main window against a
// local server that answers at once.
// Usage: bench_stall [repetitions, default 11]
#include "BenchPages.h"
#include "BenchStats.h"
#include "PageServer.h"
#include "RunDriver.h"
#include "StallMeter.h"
#include "ui/CaptionLabel.h"
#include "ui/MessageBox.h"
#include "ui/main/Form1.h"

#include <QLineEdit>
#include <QWindow>

#include <cstdio>

namespace {

// The twenty pages of a run, the first of them replaced by 100 000 results all numbered 1 (so
// none ends the run), every other one from a host of its own.
QHash<int, QByteArray> hostilePages()
{
    QHash<int, QByteArray> pages = benchRunPages(113);
    QByteArray many =
        QStringLiteral("外链 共 <strong>%1</strong> 条\n").arg(benchSiteTotal).toUtf8();
    for (int i = 0; i < 100'000; ++i) {
        const QByteArray link = i % 2 ? QByteArray("http://h" + QByteArray::number(i) + ".example/")
                                      : QByteArray("http://one.example/" + QByteArray::number(i));
        many += "<h1>1. <a href=\"" + link + "\">title</a></h1>\n<p>snippet</p>\n";
    }
    pages.insert(1, many);
    return pages;
}

// The worst stall of each of `repetitions` runs against `server`, after one run to warm up.
std::vector<double> stalls(const PageServer& server, int repetitions, int links)
{
    QList<MessageBox::Shown> boxes;
    MessageBox::setRecorder(&boxes);
    Form1 form({server.host(), server.host()});
    showExposed(form);
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QString::fromUtf16(benchSite));
    auto* command1 = form.findChild<QPushButton*>(QStringLiteral("Command1"));
    EndWatch watch(*command1);
    StallMeter meter;

    timeRun(*command1, watch);
    std::vector<double> worst;
    for (int i = 0; i < repetitions; ++i) {
        meter.start();
        timeRun(*command1, watch);
        meter.stop();
        worst.push_back(meter.worstMs());
    }
    MessageBox::setRecorder(nullptr);
    if (!boxes.isEmpty() || form.run.dict.linkCount() != links ||
        !form.findChild<CaptionLabel*>(QStringLiteral("Label1"))
             ->caption()
             .startsWith(QStringLiteral("已完成"))) {
        std::fprintf(stderr, "bench_stall: the run did not complete (%lld boxes, %lld links)\n",
                     qlonglong(boxes.size()), qlonglong(form.run.dict.linkCount()));
        std::exit(1);
    }
    return worst;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 11;

    const PageServer server(benchRunPages(113));
    const std::vector<double> run = stalls(server, repetitions, 1000);
    const PageServer hostileServer(hostilePages());
    const std::vector<double> hostile =
        stalls(hostileServer, std::max(3, repetitions / 2) | 1, 100'000 + 950);

    std::printf("%-44s %10s %10s %10s\n", "longest stall of the event loop", "median", "min",
                "max");
    auto row = [](const char* name, const std::vector<double>& values) {
        std::printf("%-44s %10.2f %10.2f %10.2f ms\n", name, median(values),
                    *std::min_element(values.begin(), values.end()),
                    *std::max_element(values.begin(), values.end()));
    };
    row("1000-result run, its end included", run);
    row("first page of 100 000 results", hostile);
    std::printf("RESULT stall_run_ms %.2f\nRESULT stall_hostile_ms %.2f\n", median(run),
                median(hostile));
    return 0;
}
