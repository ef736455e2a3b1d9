// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Importing a large link export: 1 000 000 rows of five columns (about 120 MB) in the layout of
// a link suite's referring-page export, written into a temporary folder and read once so that it
// sits in the page cache, as a file just downloaded does. Side by side, alternating, the pipeline
// a webmaster would type for the same count. Peak memory is the high-water mark of this process
// during the import, reset just before it, against the tally's own memory (what the process
// holds once the import is over and its result kept), in the first round.
// Usage: bench_import [rows, default 1000000] [repetitions, default 5]
#include "BenchStats.h"
#include "RunDriver.h"
#include "StallMeter.h"
#include "analysis/LinkImport.h"
#include "ui/MessageBox.h"
#include "ui/main/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>

#include <cstdio>
#include <random>

namespace {

const char* const words[] = {
    "green",  "river", "tech",  "daily", "cloud",  "forum", "garden", "china", "market", "travel",
    "health", "photo", "music", "sport", "design", "code",  "house",  "food",  "auto",   "book",
    "news",   "film",  "game",  "home",  "life",   "shop",  "star",   "blue",  "web",    "data"};
const char* const tlds[] = {"com", "net", "org", "cn", "com.cn", "info", "io", "de", "co.uk"};
const char* const prefixes[] = {"www.", "", "blog.", "bbs.", "news.", "m."};

QByteArray word(std::mt19937& random)
{
    return words[random() % std::size(words)];
}

// Hosts as they spread in real exports: a few big ones with many pages, a long tail of small.
QByteArrayList makeHosts(std::mt19937& random, int count)
{
    QByteArrayList hosts;
    for (int i = 0; i < count; ++i)
        hosts.append(prefixes[random() % std::size(prefixes)] + word(random) + word(random) +
                     QByteArray::number(i % 97) + '.' + tlds[random() % std::size(tlds)]);
    return hosts;
}

void writeExport(const QString& path, int rows)
{
    std::mt19937 random(2009);
    const QByteArrayList hosts = makeHosts(random, 40000);
    std::uniform_real_distribution<double> unit;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "bench_import: cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    file.write("Domain rating,Referring page URL,Target URL,Anchor,First seen\n");
    QByteArray block;
    for (int row = 0; row < rows; ++row) {
        const double u = unit(random);
        const QByteArray& host = hosts[qsizetype(u * u * u * hosts.size())];
        block += QByteArray::number(random() % 100) + ",https://" + host + '/' +
                 QByteArray::number(2015 + random() % 11) + '/' + word(random) + '-' +
                 word(random) + '-' + QByteArray::number(row) + ".html,https://own.example.com/" +
                 word(random) + '/' + QByteArray::number(random() % 500) + ",\"" + word(random) +
                 ", " + word(random) + "\",2025-" + QByteArray::number(1 + random() % 12) + "-" +
                 QByteArray::number(1 + random() % 28) + '\n';
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
}

qint64 statusKib(const char* key)
{
    QFile status(u"/proc/self/status"_qs);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

void resetPeak()
{
    QFile clear(u"/proc/self/clear_refs"_qs);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The floor of the tally's shape: each link's UTF-8 made a string of its own and put in its
// host's list, as the tally keeps them, with nothing read, split, looked up or compared.
double tallyFloorMs(const HostTally& tally)
{
    std::vector<QByteArray> links;
    std::vector<quint32> hostOf;
    for (qsizetype n = 0; n < tally.linkCount(); ++n) {
        links.push_back(tally.linkUtf8At(n).toByteArray());
        hostOf.push_back(quint32(tally.hostOfLink(n)));
    }
    // In an order that mixes the hosts, as an export's rows do.
    std::mt19937 random(29);
    for (std::size_t i = links.size(); i > 1; --i) {
        const std::size_t j = random() % i;
        std::swap(links[i - 1], links[j]);
        std::swap(hostOf[i - 1], hostOf[j]);
    }
    QElapsedTimer timer;
    timer.start();
    std::vector<QStringList> lists(std::size_t(tally.hostCount()));
    for (std::size_t i = 0; i < links.size(); ++i)
        lists[hostOf[i]].append(QString::fromUtf8(links[i]));
    return timer.nsecsElapsed() / 1e6;
}

// The longest the main window's event loop waits while `path` is imported through it, from the
// call to the grid drawn. The query button is off while an import reads and on again at its end.
double importStallMs(const QString& path)
{
    QList<MessageBox::Shown> boxes;
    MessageBox::setRecorder(&boxes);
    // Nothing listens on the discard port: the bulletin fails at once and quietly.
    Form1 form({u"127.0.0.1:9"_qs, u"127.0.0.1:9"_qs});
    showExposed(form);
    settle();
    auto* command1 = form.findChild<QPushButton*>(u"Command1"_qs);
    EndWatch watch(*command1);
    StallMeter meter;
    meter.start();
    form.importFiles({path});
    while (!watch.ended())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    settle();
    meter.stop();
    MessageBox::setRecorder(nullptr);
    if (!boxes.isEmpty()) {
        std::fprintf(stderr, "bench_import: the import showed a box: %s\n",
                     qPrintable(boxes.first().text));
        std::exit(1);
    }
    return meter.worstMs();
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"backlinks.csv"_qs);
    writeExport(path, rows);
    const double mib = QFile(path).size() / (1024.0 * 1024.0);
    // The floor: reading the file from the page cache, in the pieces the reader takes. The
    // first round puts it there.
    auto readAll = [&] {
        QFile file(path);
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        if (file.open(QIODevice::ReadOnly))
            while (file.read(buffer.data(), buffer.size()) > 0) {
            }
    };
    readAll();

    std::vector<double> importMs, pipelineMs, floorMs, bareMs;
    double tallyMib = 0, peakMib = 0;
    qsizetype hosts = 0, links = 0;
    for (int r = 0; r < repetitions; ++r) {
        const qint64 before = statusKib("VmRSS:");
        resetPeak();
        QElapsedTimer timer;
        timer.start();
        ImportResult result = importLinkExports({path});
        importMs.push_back(timer.nsecsElapsed() / 1e6);
        // Memory freed by one round stays with the allocator for the next: the first is measured.
        if (r == 0) {
            peakMib = (statusKib("VmHWM:") - before) / 1024.0;
            tallyMib = (statusKib("VmRSS:") - before) / 1024.0;
        }
        hosts = result.tally.hostCount();
        links = result.tally.linkCount();
        bareMs.push_back(tallyFloorMs(result.tally));
        result = {};

        timer.start();
        readAll();
        floorMs.push_back(timer.nsecsElapsed() / 1e6);

        QProcess pipeline;
        pipeline.setStandardOutputFile(QProcess::nullDevice());
        timer.start();
        pipeline.start(u"sh"_qs, {u"-c"_qs,
                                  u"cut -d, -f2 \"$0\" | awk -F/ '{print $3}' | sort | "
                                  u"uniq -c | sort -rn"_qs,
                                  path});
        pipeline.waitForFinished(-1);
        pipelineMs.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    std::vector<double> stallMs;
    for (int r = 0; r < std::max(1, repetitions / 2); ++r)
        stallMs.push_back(importStallMs(path));

    const double ms = median(importMs), pipeMs = median(pipelineMs);
    std::printf("%d rows, %.1f MiB, %lld hosts, %lld links\n", rows, mib, qint64(hosts),
                qint64(links));
    std::printf("RESULT read_floor_ms %.0f\nRESULT tally_floor_ms %.0f\n", median(floorMs),
                median(bareMs));
    std::printf("RESULT import_ms %.0f\nRESULT import_mib_s %.0f\nRESULT pipeline_ms %.0f\n"
                "RESULT pipeline_ratio %.2f\nRESULT tally_mib %.0f\nRESULT peak_mib %.0f\n"
                "RESULT peak_limit_mib %.0f\nRESULT import_stall_ms %.1f\n",
                ms, mib / (ms / 1000), pipeMs, pipeMs / ms, tallyMib, peakMib, 2 * tallyMib + 50,
                median(stallMs));
    return 0;
}
