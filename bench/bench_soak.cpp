// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A working day in one process: the real main window against the real stand-in process (no
// delay), site after site. Each round runs a 1000-result site, then a one-page site; after every
// tenth round the top host's link list is opened and closed and the host list exported; every
// sixth round opens and closes the suggestion window. Resident memory, open file descriptors and
// live QObjects are taken after round 10 and after the last round, and the run times of the first
// ten 1000-result runs are set against those of the last ten.
// Usage: bench_soak [rounds, default 300]
#include "BenchStats.h"
#include "RunDriver.h"
#include "ui/CaptionLabel.h"
#include "ui/FlexGrid.h"
#include "ui/MessageBox.h"
#include "ui/links/Form2.h"
#include "ui/main/Form1.h"
#include "ui/suggest/Form3.h"

#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <unistd.h>

// Qt's hooks for tools that follow objects (debuggers, inspectors): a table of callbacks that
// QObject's constructor and destructor call when set.
extern Q_CORE_EXPORT quintptr qtHookData[];

namespace {

constexpr int hookAddQObject = 3;
constexpr int hookRemoveQObject = 4;
using ObjectHook = void (*)(QObject*);

std::atomic<long> liveObjects{0};
ObjectHook chainedAdd = nullptr;
ObjectHook chainedRemove = nullptr;

void objectAdded(QObject* object)
{
    ++liveObjects;
    if (chainedAdd)
        chainedAdd(object);
}

void objectRemoved(QObject* object)
{
    --liveObjects;
    if (chainedRemove)
        chainedRemove(object);
}

void countObjects()
{
    chainedAdd = reinterpret_cast<ObjectHook>(qtHookData[hookAddQObject]);
    chainedRemove = reinterpret_cast<ObjectHook>(qtHookData[hookRemoveQObject]);
    qtHookData[hookAddQObject] = reinterpret_cast<quintptr>(&objectAdded);
    qtHookData[hookRemoveQObject] = reinterpret_cast<quintptr>(&objectRemoved);
}

struct Sample {
    double rssMiB = 0;
    long fds = 0;
    long objects = 0;
};

Sample sample()
{
    settle();
    Sample s;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        long size = 0, resident = 0;
        if (std::fscanf(statm, "%ld %ld", &size, &resident) == 2)
            s.rssMiB = resident * double(sysconf(_SC_PAGESIZE)) / (1024 * 1024);
        std::fclose(statm);
    }
    s.fds = long(QDir(QStringLiteral("/proc/self/fd"))
                     .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                     .size());
    s.objects = liveObjects;
    return s;
}

// The processor time of this process so far, all its threads (the network's too).
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

template <class Window> Window* shownWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible())
            return window;
    return nullptr;
}

[[noreturn]] void fail(const char* what, int round)
{
    std::fprintf(stderr, "bench_soak: %s (round %d)\n", what, round);
    std::exit(1);
}

} // namespace

int main(int argc, char** argv)
{
    countObjects();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(20, atoi(argv[1])) : 300;

    // The stand-in takes a free port and names it in its first line; its request log is read and
    // dropped, so that it piles up neither in the pipe nor in this process.
    QTemporaryDir data;
    QProcess standin;
    QString host;
    QObject::connect(&standin, &QProcess::readyReadStandardOutput, &app, [&] {
        while (host.isEmpty() && standin.canReadLine())
            host = QString::fromUtf8(standin.readLine())
                       .section(QStringLiteral("http://"), 1)
                       .section(u',', 0, 0);
        if (!host.isEmpty())
            standin.readAllStandardOutput();
    });
    standin.start(
        QStringLiteral(OSTREL_STANDIN_PATH),
        {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"), data.path()});
    while (host.isEmpty() && standin.state() != QProcess::NotRunning)
        standin.waitForReadyRead(30'000);
    if (host.isEmpty())
        fail("the stand-in did not start", 0);

    QList<MessageBox::Shown> boxes;
    MessageBox::setRecorder(&boxes);
    Form1 form({host, host});
    form.programFolder = data.path();
    form.show();
    settle();
    auto* text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* command1 = form.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* label1 = form.findChild<CaptionLabel*>(QStringLiteral("Label1"));
    auto* label2 = form.findChild<CaptionLabel*>(QStringLiteral("Label2"));
    auto* label3 = form.findChild<CaptionLabel*>(QStringLiteral("Label3"));
    auto* tb1 = form.findChild<FlexGrid*>(QStringLiteral("tb1"));
    EndWatch watch(*command1);

    std::vector<double> bigRuns, bigCpu;
    Sample early, late;
    int suggestions = 0;
    for (int round = 1; round <= rounds; ++round) {
        text1->setText(QStringLiteral("big.example"));
        const double cpuBefore = cpuMs();
        bigRuns.push_back(timeRun(*command1, watch));
        bigCpu.push_back(cpuMs() - cpuBefore);
        if (form.run.dict.linkCount() != 1000 ||
            !label1->caption().startsWith(QStringLiteral("已完成")))
            fail("the 1000-result run did not complete", round);
        text1->setText(QStringLiteral("small.example"));
        timeRun(*command1, watch);
        if (form.run.dict.linkCount() != 37)
            fail("the one-page run did not complete", round);

        if (round % 10 == 0) {
            // The top host's links, as a double-click on its row shows them.
            tb1->setRow(1);
            Q_EMIT tb1->DblClick();
            settle();
            Form2* list = shownWindow<Form2>();
            if (!list || list->windowTitle() != tb1->TextMatrix(1, 1))
                fail("the link list did not open", round);
            list->close();
            Q_EMIT label3->clicked();
            settle();
        }
        if (round % 6 == 0 && suggestions < 50) {
            Q_EMIT label2->clicked();
            settle();
            Form3* suggest = shownWindow<Form3>();
            if (!suggest)
                fail("the suggestion window did not open", round);
            suggest->close();
            ++suggestions;
        }
        // Every export says where it went; anything else is a fault.
        for (const MessageBox::Shown& box : std::as_const(boxes))
            if (!box.text.endsWith(QStringLiteral("成功!")))
                fail(qPrintable(QStringLiteral("a message box: ") + box.text), round);
        boxes.clear();

        if (round == 10)
            early = sample();
        if (round == rounds)
            late = sample();
    }
    MessageBox::setRecorder(nullptr);

    // Wall time shows what the user waits; on a busy machine with two processes taking turns it
    // jumps between levels, so the comparison of first and last rounds is made on processor time.
    auto firstTen = [](const std::vector<double>& v) {
        return median({v.begin(), v.begin() + 10});
    };
    auto lastTen = [](const std::vector<double>& v) { return median({v.end() - 10, v.end()}); };
    const double timeRatio = lastTen(bigCpu) / firstTen(bigCpu);
    std::printf("%-44s %12s %12s\n", "soak: after round", "10", QByteArray::number(rounds).data());
    std::printf("%-44s %12.2f %12.2f\n", "resident memory (MiB)", early.rssMiB, late.rssMiB);
    std::printf("%-44s %12ld %12ld\n", "open file descriptors", early.fds, late.fds);
    std::printf("%-44s %12ld %12ld\n", "live QObjects", early.objects, late.objects);
    std::printf("%-44s %12s %12s\n", "1000-result run, median of the", "first ten", "last ten");
    std::printf("%-44s %12.3f %12.3f\n", "  wall time (ms)", firstTen(bigRuns), lastTen(bigRuns));
    std::printf("%-44s %12.3f %12.3f\n", "  processor time (ms)", firstTen(bigCpu),
                lastTen(bigCpu));
    std::printf("%d rounds, %d suggestion windows opened\n", rounds, suggestions);
    std::printf("RESULT soak_rss_early_mib %.2f\nRESULT soak_rss_late_mib %.2f\n"
                "RESULT soak_rss_growth_mib %.2f\n",
                early.rssMiB, late.rssMiB, late.rssMiB - early.rssMiB);
    std::printf("RESULT soak_fds %ld->%ld\nRESULT soak_objects %ld->%ld\n", early.fds, late.fds,
                early.objects, late.objects);
    std::printf("RESULT soak_first10_ms %.3f\nRESULT soak_last10_ms %.3f\n"
                "RESULT soak_time_ratio %.3f\n",
                firstTen(bigCpu), lastTen(bigCpu), timeRatio);
    standin.kill();
    standin.waitForFinished();
    return 0;
}
