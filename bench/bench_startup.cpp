// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up and peak memory of the whole program, as processes. Start-up: probe_ostrel (built like
// Ostrel's main(), shown, closed again) against probe_bare (one empty Qt window) and the fairer
// floor probe_caption (that window with one Chinese caption in Ostrel's font, so the font database
// and the CJK fallback are paid as any such program pays them), in turn, from the spawn to the
// exit of each. Memory: the peak resident size of probe_ostrel doing one
// full 1000-result run. Both probes run offscreen against a local server that answers at once.
// Then where Ostrel's start-up goes: probe_ostrel run with its phases taken one by one.
// Usage: bench_startup [repetitions, default 21]
#include "BenchPages.h"
#include "BenchStats.h"
#include "PageServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <ctime>
#include <map>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Exit {
    double wallMs = 0;
    double cpuMs = 0;
    double maxRssMiB = 0;
    int status = -1;
};

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

Exit spawnAndWait(const std::vector<QByteArray>& args)
{
    std::vector<char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(const_cast<char*>(arg.constData()));
    argv.push_back(nullptr);

    Exit exit;
    const double start = nowMs();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return exit;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    exit.wallMs = nowMs() - start;
    exit.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    exit.maxRssMiB = usage.ru_maxrss / 1024.0; // kibibytes on Linux
    exit.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return exit;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 21;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    PageServer server(benchRunPages(113));
    const QDir here(QCoreApplication::applicationDirPath());
    const QByteArray host = server.host().toLatin1();
    const std::vector<QByteArray> bare{here.filePath(QStringLiteral("probe_bare")).toLocal8Bit()};
    const std::vector<QByteArray> caption{
        here.filePath(QStringLiteral("probe_caption")).toLocal8Bit()};
    const std::vector<QByteArray> ostrel{
        here.filePath(QStringLiteral("probe_ostrel")).toLocal8Bit(), host, host};
    std::vector<QByteArray> run = ostrel;
    run.push_back(QString::fromUtf16(benchSite).toLocal8Bit());

    auto check = [](const Exit& exit, const char* what) {
        if (exit.status != 0) {
            std::fprintf(stderr, "bench_startup: %s failed (status %d)\n", what, exit.status);
            std::exit(1);
        }
        return exit;
    };

    // Warm the file cache with each program first.
    check(spawnAndWait(bare), "probe_bare");
    check(spawnAndWait(caption), "probe_caption");
    check(spawnAndWait(ostrel), "probe_ostrel");

    std::vector<double> bareWall, ostrelWall, wallRatio, bareCpu, ostrelCpu, bareRss, ostrelRss;
    std::vector<double> captionWall, captionCpu, captionRss, captionRatio;
    for (int i = 0; i < repetitions; ++i) {
        // Each program takes each place in the round in turn, so none always follows another.
        Exit b, c, o;
        for (int place = 0; place < 3; ++place)
            switch ((i + place) % 3) {
            case 0:
                b = check(spawnAndWait(bare), "probe_bare");
                break;
            case 1:
                c = check(spawnAndWait(caption), "probe_caption");
                break;
            default:
                o = check(spawnAndWait(ostrel), "probe_ostrel");
            }
        bareWall.push_back(b.wallMs);
        ostrelWall.push_back(o.wallMs);
        wallRatio.push_back(o.wallMs / b.wallMs);
        captionWall.push_back(c.wallMs);
        captionCpu.push_back(c.cpuMs);
        captionRss.push_back(c.maxRssMiB);
        captionRatio.push_back(o.wallMs / c.wallMs);
        bareCpu.push_back(b.cpuMs);
        ostrelCpu.push_back(o.cpuMs);
        bareRss.push_back(b.maxRssMiB);
        ostrelRss.push_back(o.maxRssMiB);
    }
    std::vector<double> runRss, runWall;
    for (int i = 0; i < 5; ++i) {
        const Exit r = check(spawnAndWait(run), "probe_ostrel with a run");
        runRss.push_back(r.maxRssMiB);
        runWall.push_back(r.wallMs);
    }

    // The phases, in a file of their own that each probe appends to.
    const QString phaseFile = QDir::temp().filePath(
        QStringLiteral("ostrel-phases-%1").arg(QCoreApplication::applicationPid()));
    setenv("OSTREL_PROBE_PHASES", phaseFile.toLocal8Bit().constData(), 1);
    std::vector<double> phaseWall;
    for (int i = 0; i < repetitions; ++i)
        phaseWall.push_back(check(spawnAndWait(ostrel), "probe_ostrel by phases").wallMs);
    unsetenv("OSTREL_PROBE_PHASES");
    QList<QByteArray> phaseNames;
    std::map<QByteArray, std::vector<double>> phaseMs;
    QFile phaseLines(phaseFile);
    if (phaseLines.open(QIODevice::ReadOnly))
        for (const QByteArray& line : phaseLines.readAll().split('\n'))
            if (const QList<QByteArray> parts = line.split(' '); parts.size() == 2) {
                if (!phaseNames.contains(parts[0]))
                    phaseNames.append(parts[0]);
                phaseMs[parts[0]].push_back(parts[1].toDouble());
            }
    phaseLines.remove();
    double phaseSum = 0;
    for (const QByteArray& name : phaseNames)
        phaseSum += median(phaseMs[name]);

    std::printf("%-40s %10s %10s %10s\n", "start-up (spawn to exit)", "wall ms", "cpu ms",
                "peak MiB");
    std::printf("%-40s %10.1f %10.1f %10.1f\n", "bare Qt window", median(bareWall), median(bareCpu),
                median(bareRss));
    std::printf("%-40s %10.1f %10.1f %10.1f\n", "window with one Chinese caption",
                median(captionWall), median(captionCpu), median(captionRss));
    std::printf("%-40s %10.1f %10.1f %10.1f\n", "Ostrel main window", median(ostrelWall),
                median(ostrelCpu), median(ostrelRss));
    std::printf("%-40s %10.2f %10.2f\n", "Ostrel / bare (paired wall, cpu medians)",
                median(wallRatio), median(ostrelCpu) / median(bareCpu));
    std::printf("%-40s %10.2f %10.2f\n", "Ostrel / caption (paired wall, cpu)",
                median(captionRatio), median(ostrelCpu) / median(captionCpu));
    std::printf("%-40s %10.1f %10s %10.1f\n", "Ostrel with one 1000-result run", median(runWall),
                "", median(runRss));
    std::printf("%-40s %10s\n", "Ostrel's start-up by phase", "wall ms");
    for (const QByteArray& name : phaseNames)
        std::printf("  %-38s %10.1f\n", name.constData(), median(phaseMs[name]));
    std::printf("  %-38s %10.1f\n", "loading before main(), exit", median(phaseWall) - phaseSum);
    for (const QByteArray& name : phaseNames)
        std::printf("RESULT startup_phase_%s %.1f\n", name.constData(), median(phaseMs[name]));
    std::printf("RESULT startup_bare_ms %.1f\nRESULT startup_ostrel_ms %.1f\n"
                "RESULT startup_ratio %.2f\nRESULT run_peak_mib %.1f\n",
                median(bareWall), median(ostrelWall), median(wallRatio), median(runRss));
    std::printf("RESULT startup_caption_ms %.1f\nRESULT startup_caption_ratio %.2f\n",
                median(captionWall), median(captionRatio));
    return 0;
}
