// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A full 1000-result analysis in the real main window, against its floor: the same twenty pages
// fetched one after another by a bare QNetworkAccessManager loop. Both run in this process
// against one local server that answers at once, alternating, so that a busy machine slows both
// alike. Usage: bench_run [repetitions, default 21]
#include "BenchPages.h"
#include "BenchStats.h"
#include "PageServer.h"
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

// Tells when a run has ended: the query button is enabled again as its last step.
class EndWatch : public QObject {
public:
    explicit EndWatch(QPushButton& command1) : command1_(command1)
    {
        command1.installEventFilter(this);
    }

    void reset() { ended_ = false; }
    bool ended() const { return ended_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &command1_ && event->type() == QEvent::EnabledChange &&
            command1_.isEnabled())
            ended_ = true;
        return QObject::eventFilter(watched, event);
    }

private:
    QPushButton& command1_;
    bool ended_ = false;
};

// Counts the events the application delivers while it is installed.
class EventCount : public QObject {
public:
    EventCount() { qApp->installEventFilter(this); }
    ~EventCount() override { qApp->removeEventFilter(this); }
    long long count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        ++count;
        return QObject::eventFilter(watched, event);
    }
};

// From the click on the query button until the run has ended and the window has done all that
// the end left it to do (lay the grid out, draw it): until an event-loop turn finds nothing left.
[[gnu::noinline]] double timeRun(QApplication& app, QPushButton& command1, EndWatch& watch)
{
    watch.reset();
    QElapsedTimer timer;
    timer.start();
    command1.click();
    while (!watch.ended())
        app.processEvents(QEventLoop::WaitForMoreEvents);
    const EventCount events;
    long long seen;
    do {
        seen = events.count;
        app.processEvents();
    } while (events.count != seen);
    return timer.nsecsElapsed() / 1e6;
}

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

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 21;

    QList<MessageBox::Shown> boxes;
    MessageBox::setRecorder(&boxes);
    PageServer server(benchRunPages(runHosts));

    Form1 form({server.host(), server.host()});
    form.show();
    while (!form.windowHandle()->isExposed())
        app.processEvents(QEventLoop::WaitForMoreEvents);
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

    // One of each first: connections opened, caches warm.
    timeRun(app, *command1, watch);
    timeFloor(manager, urls);

    std::vector<double> runs, floors, ratios;
    for (int i = 0; i < repetitions; ++i) {
        double run, floor;
        if (i % 2) {
            run = timeRun(app, *command1, watch);
            floor = timeFloor(manager, urls);
        } else {
            floor = timeFloor(manager, urls);
            run = timeRun(app, *command1, watch);
        }
        runs.push_back(run);
        floors.push_back(floor);
        ratios.push_back(run / floor);
    }

    // A run that did not do its work measures nothing.
    const bool whole = boxes.isEmpty() && tb1->Rows() == runHosts + 1 &&
                       label1->caption().startsWith(QStringLiteral("已完成")) &&
                       form.run.dict.linkCount() == 1000;
    if (!whole) {
        std::fprintf(stderr, "bench_run: the run did not complete (%lld boxes, %d rows)\n",
                     qlonglong(boxes.size()), tb1->Rows());
        return 1;
    }

    std::printf("%-34s %10s %10s %10s\n", "run of 1000 results (20 pages)", "median", "min", "max");
    auto row = [](const char* name, const std::vector<double>& values, const char* unit) {
        std::printf("%-34s %10.3f %10.3f %10.3f %s\n", name, median(values),
                    *std::min_element(values.begin(), values.end()),
                    *std::max_element(values.begin(), values.end()), unit);
    };
    row("run (click to totals shown)", runs, "ms");
    row("floor (bare fetch loop)", floors, "ms");
    row("run / floor (paired)", ratios, "");
    std::printf("RESULT run_ms %.3f\nRESULT floor_ms %.3f\nRESULT run_floor_ratio %.3f\n",
                median(runs), median(floors), median(ratios));
    MessageBox::setRecorder(nullptr);
    return 0;
}
