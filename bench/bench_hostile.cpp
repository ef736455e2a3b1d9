// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// How long pages built to hurt and oversized bulletins take:
// the reading alone (decode, parse, tally; the charset scan; the bulletin parser) and the whole
// of the window's handling (the handler, the grid, the labels, one paint). Each should take well
// under a second.
#include "analysis/HostTally.h"
#include "analysis/ResultPage.h"
#include "http/BytesToText.h"
#include "publisher/Bulletin.h"
#include "ui/MessageBox.h"
#include "ui/main/Form1.h"

#include <QApplication>
#include <QPushButton>
#include <QTcpServer>

#include <benchmark/benchmark.h>
#include <functional>
#include <map>

namespace {

QByteArray total(const QByteArray& number)
{
    return (u"外链 共 <strong>"_qs + QLatin1StringView(number) + u"</strong> 条\n"_qs).toUtf8();
}

QByteArray result(const QByteArray& number, const QByteArray& link)
{
    return "<h1>" + number + ". <a href=\"" + link + "\">title</a></h1>\n<p>snippet</p>\n";
}

const std::map<std::string, QByteArray>& hostilePages()
{
    static const std::map<std::string, QByteArray> pages = [] {
        std::map<std::string, QByteArray> made;
        QByteArray many = total("1000");
        for (int i = 0; i < 100'000; ++i)
            many += result("1", (i % 2 ? "http://h" : "http://one.example/") +
                                    QByteArray::number(i) + (i % 2 ? ".example/" : ""));
        made["100k_results"] = many;
        const QByteArray forty(40, '9');
        made["40_digits"] = total(forty) + result(forty, "http://a.example/");
        made["deep_nesting"] = QByteArray("<div>").repeated(200'000) + total("2") +
                               result("1", "http://a.example/") +
                               QByteArray("</div>").repeated(200'000);
        made["nested_markers"] =
            total("1") + QByteArray("<h1>1. <a href=\"").repeated(100'000) + "http://a.example/\">";
        made["link_1MB"] =
            total("1") + result("1", "http://" + QByteArray(1 << 20, 'a') + ".example/");
        return made;
    }();
    return pages;
}

void readPage(benchmark::State& state, const std::string& name)
{
    const QByteArray body = hostilePages().at(name);
    for (auto _ : state) {
        const QString html = bytesToText(body, u"UTF-8");
        const ResultPage page = parseResultPage(html);
        HostTally tally;
        for (const ResultPage::Result& r : page.results)
            tally.add(r.host, r.link);
        benchmark::DoNotOptimize(tally.linkCount());
    }
    state.counters["page_bytes"] = double(body.size());
}

// A main window whose requests go to a server that accepts and never answers, so nothing but the
// benchmark drives it.
struct Window {
    Window()
    {
        server.listen(QHostAddress::LocalHost, 0);
        const QString host = u"127.0.0.1:%1"_qs.arg(server.serverPort());
        MessageBox::setRecorder(&boxes);
        form = std::make_unique<Form1>(Endpoints{host, host});
        form->requestLimits.timeLimitMs = 3'600'000;
        form->show();
    }
    ~Window()
    {
        form.reset();
        MessageBox::setRecorder(nullptr);
    }
    QTcpServer server;
    QList<MessageBox::Shown> boxes;
    std::unique_ptr<Form1> form;
};

// The window's whole handling of a page: the run starts, the page arrives, a last page ends the
// run, the grid takes the hosts and the window is painted.
void handlePage(benchmark::State& state, const std::string& name)
{
    Window window;
    const QString html = bytesToText(hostilePages().at(name), u"UTF-8");
    const QString last =
        bytesToText(QByteArray(total("1000") + result("1000", "http://last.example/")), u"UTF-8");
    auto* query = window.form->findChild<QPushButton*>(u"Command1"_qs);
    for (auto _ : state) {
        query->click();
        window.form->fetchResult(0, html);
        if (!query->isEnabled())
            window.form->fetchResult(0, last);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.form->grab());
    }
}

void scanForMeta(benchmark::State& state, const QByteArray& body)
{
    for (auto _ : state) {
        const QString text = bytesToText(body, u"gb2312");
        benchmark::DoNotOptimize(declaresUtf8(text));
    }
    state.counters["page_bytes"] = double(body.size());
}

QString bulletin(const std::string& name)
{
    if (name == "huge_caption")
        return u"200912290{update}"_qs + u"新闻"_qs.repeated(2 << 20) + u"[Q|Z]L"_qs;
    return u"200912290{update}"_qs + u"新闻[Q|Z]L{Q|Z}"_qs.repeated(5000);
}

void readBulletin(benchmark::State& state, const std::string& name)
{
    const QString text = bulletin(name);
    for (auto _ : state)
        benchmark::DoNotOptimize(parseBulletin(text));
}

void showBulletin(benchmark::State& state, const std::string& name)
{
    Window window;
    const QString text = bulletin(name);
    for (auto _ : state) {
        window.form->showNews(0, text);
        benchmark::DoNotOptimize(window.form->grab());
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    for (const auto& [name, page] : hostilePages()) {
        benchmark::RegisterBenchmark(("read_page/" + name).c_str(), readPage, name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("window_page/" + name).c_str(), handlePage, name)
            ->Unit(benchmark::kMillisecond);
    }
    const QByteArray metas = QByteArray("<meta").repeated(2 * 1024 * 1024);
    benchmark::RegisterBenchmark("meta_scan/10MB_no_close", scanForMeta, metas)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("meta_scan/10MB_declared", scanForMeta, metas + "charset=utf-8")
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(
        "meta_scan/256KB_closed", scanForMeta,
        QByteArray(QByteArray("<meta").repeated(50'000) + ">charset=utf-8"))
        ->Unit(benchmark::kMillisecond);
    for (const std::string name : {"huge_caption", "5000_items"}) {
        benchmark::RegisterBenchmark(("read_bulletin/" + name).c_str(), readBulletin, name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("window_bulletin/" + name).c_str(), showBulletin, name)
            ->Unit(benchmark::kMillisecond);
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
