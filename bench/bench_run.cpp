// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A full 1000-result analysis in the real main window, against its floor: the same twenty pages
// fetched one after another by a bare QNetworkAccessManager loop. Both run in this process
// against one local server, alternating, so that a busy machine slows both alike: once against a
// server that answers at once, once against one that waits 20 ms before each reply.
// Usage: bench_run [repetitions, default 21]
#include "BenchPages.h"
#include "BenchStats.h"
#include "PageServer.h"
#include "RunDriver.h"
#include "ui/CaptionLabel.h"
#include "ui/FlexGrid.h"
#include "ui/MessageBox.h"
#include "ui/main/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QWindow>

#include <cstdio>
#include <functional>

namespace {

constexpr int runHosts = 113;

// The same pages, one request after another, nothing done with the bodies but reading them.
[[gnu::noinline]] double timeFloor(QNetworkAccessManager& manager, const QList<QUrl>& urls)
{
    QEventLoop loop;
    int next = 0;
    qint64 bytes = 0;
    std::function<void()> fetch = [&] {
        QNetworkReply* reply = manager.get(QNetworkRequest(urls[next++]));
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply] {
            bytes += reply->readAll().size();
            reply->deleteLater();
            if (next < urls.size())
                fetch();
            else
                loop.quit();
        });
    };
    QElapsedTimer timer;
    timer.start();
    fetch();
    loop.exec();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (bytes == 0)
        std::fprintf(stderr, "bench_run: the floor fetched nothing\n");
    return ms;
}

struct Measured {
    std::vector<double> runs, floors, ratios;
};

// Runs and floors in turn against one server, after one of each to open connections and warm
// caches. Exits when a run did not do its whole work: it would measure nothing.
Measured measure(const PageServer& server, int repetitions)
{
    QList<MessageBox::Shown> boxes;
    MessageBox::setRecorder(&boxes);
    Form1 form({server.host(), server.host()});
    showExposed(form);
    auto* text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* command1 = form.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* label1 = form.findChild<CaptionLabel*>(QStringLiteral("Label1"));
    auto* tb1 = form.findChild<FlexGrid*>(QStringLiteral("tb1"));
    text1->setText(QString::fromUtf16(benchSite));

    QList<QUrl> urls;
    for (int b = 1; b <= 951; b += 50)
        urls.append(QUrl(QStringLiteral("http://%1/search?p=%2&bwm=i&bwmf=s&bwmo=s&b=%3")
                             .arg(server.host(), QString::fromUtf16(benchSite))
                             .arg(b)));
    QNetworkAccessManager manager;
    EndWatch watch(*command1);

    timeRun(*command1, watch);
    timeFloor(manager, urls);

    Measured m;
    for (int i = 0; i < repetitions; ++i) {
        double run, floor;
        if (i % 2) {
            run = timeRun(*command1, watch);
            floor = timeFloor(manager, urls);
        } else {
            floor = timeFloor(manager, urls);
            run = timeRun(*command1, watch);
        }
        m.runs.push_back(run);
        m.floors.push_back(floor);
        m.ratios.push_back(run / floor);
    }

    const bool whole = boxes.isEmpty() && tb1->Rows() == runHosts + 1 &&
                       label1->caption().startsWith(QStringLiteral("已完成")) &&
                       form.run.dict.linkCount() == 1000;
    MessageBox::setRecorder(nullptr);
    if (!whole) {
        std::fprintf(stderr, "bench_run: the run did not complete (%lld boxes, %d rows)\n",
                     qlonglong(boxes.size()), tb1->Rows());
        std::exit(1);
    }
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 21;

    // A server that answers at once shows what the program adds; one that waits 20 ms a reply,
    // as a real service does, shows what the user feels of it. Each run of the slow one takes
    // 20 pages of 20 ms, so fewer of them are enough.
    const PageServer server(benchRunPages(runHosts));
    const Measured quick = measure(server, repetitions);
    const PageServer slowServer(benchRunPages(runHosts), 20);
    const Measured slow = measure(slowServer, std::max(3, repetitions / 3) | 1);

    std::printf("%-34s %10s %10s %10s\n", "run of 1000 results (20 pages)", "median", "min", "max");
    auto row = [](const char* name, const std::vector<double>& values, const char* unit) {
        std::printf("%-34s %10.3f %10.3f %10.3f %s\n", name, median(values),
                    *std::min_element(values.begin(), values.end()),
                    *std::max_element(values.begin(), values.end()), unit);
    };
    row("run (click to totals shown)", quick.runs, "ms");
    row("floor (bare fetch loop)", quick.floors, "ms");
    row("run / floor (paired)", quick.ratios, "");
    row("20 ms a reply: run", slow.runs, "ms");
    row("20 ms a reply: floor", slow.floors, "ms");
    row("20 ms a reply: run / floor", slow.ratios, "");
    std::printf("RESULT run_ms %.3f\nRESULT floor_ms %.3f\nRESULT run_floor_ratio %.3f\n",
                median(quick.runs), median(quick.floors), median(quick.ratios));
    std::printf("RESULT slow_run_ms %.3f\nRESULT slow_floor_ms %.3f\n"
                "RESULT slow_run_floor_ratio %.3f\n",
                median(slow.runs), median(slow.floors), median(slow.ratios));
    return 0;
}
