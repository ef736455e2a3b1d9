// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AnalysisRun.h"

#include "ExportLayout.h"
#include "ReadableHost.h"
#include "RegistrableDomain.h"
#include "ResultPage.h"

PageTake takePage(const QString& html)
{
    ResultPage page = parseResultPage(html);
    PageTake take;
    take.total = page.total;
    const qint32 total = page.total.value_or(0);
    take.results.reserve(page.results.size());
    take.firstNumber = page.results.empty() ? 0 : page.results.front().number;
    for (ResultPage::Result& result : page.results) {
        if (!take.results.empty() && result.number <= take.lastNumber) {
            take.stalled = true;
            break;
        }
        take.results.emplace_back(readableHost(result.host), std::move(result.link));
        take.lastNumber = result.number;
        if (result.number >= total || result.number >= resultCap) {
            take.endsRun = true;
            break;
        }
    }
    return take;
}

RunStep AnalysisRun::start()
{
    dict = HostTally();
    byDomain_ = HostTally();
    followed_ = HostTally();
    anchors_ = targets_ = rels_ = false;
    shown_ = false;
    domainStr.clear();
    pause = false;
    pageNo = 1;
    lastNumber_ = -1;
    running_ = true;
    RunStep step;
    step.status = QStringLiteral("正在初始化...");
    return request(std::move(step));
}

void AnalysisRun::hold()
{
    if (running_)
        pause = true;
}

RunStep AnalysisRun::resume()
{
    pause = false;
    if (!running_ || pageInFlight)
        return {};
    return request({});
}

RunStep AnalysisRun::requestFailed(const QString& reason)
{
    pageInFlight = false;
    if (!running_)
        return {};
    RunStep step;
    step.warnings.append(reason);
    return nextPage(std::move(step));
}

RunStep AnalysisRun::pageArrived(const QString& html)
{
    return pageTaken(takePage(html));
}

RunStep AnalysisRun::pageTaken(PageTake page)
{
    pageInFlight = false;
    if (!running_)
        return {};
    RunStep step;
    if (!page.total)
        step.warnings.append(QStringLiteral("Not Match 1"));
    // Results are numbered on from page to page. A page that numbers them anew, or again and
    // again the same, would have the run walk on and tally without end.
    if (!page.results.empty() && page.firstNumber <= lastNumber_) {
        page.results.clear();
        page.stalled = true;
    }
    if (page.results.empty() && !page.stalled) {
        step.warnings.append(QStringLiteral("Not Match 2"));
        return nextPage(std::move(step));
    }

    for (const auto& [host, link] : page.results)
        dict.add(host, link);
    if (!page.results.empty())
        lastNumber_ = page.lastNumber;
    if (page.stalled) {
        step.warnings.append(QStringLiteral("结果序号没有递增,分析到此结束"));
        return end(std::move(step));
    }
    if (page.endsRun)
        return end(std::move(step));
    // The progress line shows the last result taken, once a page: laying out its text once a
    // result cost more than the rest of the run together.
    step.status = QStringLiteral("分析中,进度:") + QString::number(page.lastNumber) + u'/' +
                  QString::number(page.total.value_or(0));
    return nextPage(std::move(step));
}

RunStep AnalysisRun::nextPage(RunStep step)
{
    // Nothing lies beyond the thousandth result, so a run whose pages never reach their total
    // (they fail, or stop listing results) ends after the last page that could hold one instead
    // of walking on for ever.
    if (pageNo > resultCap - resultPageStep)
        return end(std::move(step));
    pageNo += resultPageStep;
    // While held, resuming asks for this page.
    if (pause)
        return step;
    return request(std::move(step));
}

RunStep AnalysisRun::request(RunStep step)
{
    pageInFlight = true;
    step.next = RunStep::Next::RequestPage;
    step.page = pageNo;
    return step;
}

RunStep AnalysisRun::adopt(HostTally tally, bool anchors, bool targets, bool rels)
{
    if (running_)
        return {};
    dict = std::move(tally);
    anchors_ = anchors;
    targets_ = targets;
    rels_ = rels;
    domainStr.clear();
    return end({});
}

RunStep AnalysisRun::end(RunStep step)
{
    running_ = false;
    shown_ = true;
    step.next = RunStep::Next::End;
    return shownRows(std::move(step));
}

RunStep AnalysisRun::setGroupedByDomain(bool on)
{
    groupedByDomain_ = on;
    if (!shown_)
        return {};
    RunStep step;
    step.next = RunStep::Next::End;
    return shownRows(std::move(step));
}

RunStep AnalysisRun::setNofollowExcluded(bool on)
{
    nofollowExcluded_ = on;
    if (!shown_ || !rels_)
        return {};
    RunStep step;
    step.next = RunStep::Next::End;
    return shownRows(std::move(step));
}

const HostTally& AnalysisRun::shownTally() const
{
    if (groupedByDomain_ && shown_)
        return byDomain_;
    return nofollowExcluded_ && rels_ && shown_ ? followed_ : dict;
}

QStringList AnalysisRun::linksOf(const QString& row) const
{
    const HostTally& shown = shownTally();
    return shown.links(shown.indexOf(row));
}

bool AnalysisRun::listsNoLinks(const QString& row) const
{
    const HostTally& shown = shownTally();
    const qsizetype host = shown.indexOf(row);
    return host >= 0 && shown.linkCount(host) == 0;
}

QStringList AnalysisRun::detailHeaders() const
{
    QStringList headers;
    if (anchors_)
        headers.append(QStringLiteral("锚文本"));
    if (targets_)
        headers.append(QStringLiteral("目标网页"));
    return headers;
}

QList<QStringList> AnalysisRun::detailsOf(const QString& row) const
{
    QList<QStringList> details;
    const HostTally& shown = shownTally();
    const qsizetype host = shown.indexOf(row);
    if (host < 0 || (!anchors_ && !targets_))
        return details;
    for (qsizetype i = 0; i < shown.linkCount(host); ++i) {
        QStringList cells;
        if (anchors_)
            cells.append(shown.field(host, i, HostTally::Field::Anchor));
        if (targets_)
            cells.append(shown.field(host, i, HostTally::Field::Target));
        details.append(cells);
    }
    return details;
}

RunStep AnalysisRun::shownRows(RunStep step)
{
    followed_ = nofollowExcluded_ && rels_ ? dict.filtered([this](qsizetype n) {
        return !isNofollow(ExportLayout::Rel::Words,
                           QString::fromUtf8(dict.fieldUtf8At(n, HostTally::Field::Rel)));
    })
                                           : HostTally();
    const HostTally& base = nofollowExcluded_ && rels_ ? followed_ : dict;
    byDomain_ = groupedByDomain_ ? base.grouped(registrableDomain) : HostTally();
    const HostTally& shown = groupedByDomain_ ? byDomain_ : base;
    domainStr.clear();
    qint32 rowCount = 0;
    qint64 links = 0;
    step.rows.reserve(shown.hostCount());
    for (qsizetype h = 0; h < shown.hostCount(); ++h) {
        ++rowCount;
        const QString name = shown.host(h);
        links += shown.count(h);
        step.rows.append(
            {QString::number(rowCount), name, QString::number(shown.count(h)) + u'个'});
        // The export is a list of hosts, and the row of unreadable ones holds none.
        if (name != unreadableHost)
            domainStr += name + QStringLiteral("\r\n");
    }
    step.status = QStringLiteral("已完成,共") + QString::number(rowCount) +
                  (groupedByDomain_ ? QStringLiteral("个主域名,") : QStringLiteral("个域名,")) +
                  QString::number(links) + QStringLiteral("条链接,双击域名可列出链接");
    return step;
}
