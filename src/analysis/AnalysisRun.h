// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "HostTally.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// What the window does after the run has taken an event: show the warnings (in order, each in its
// own box), set the status line when `status` is not empty, then do `next`.
struct RunStep {
    enum class Next {
        Wait,        // nothing to send: a reply is on its way, the run is held, or it is idle
        RequestPage, // ask the explorer for the result page starting at `page`
        End,         // the run is over: show `rows` in place of the grid's, most links first
    };

    QStringList warnings;
    QString status;
    Next next = Next::Wait;
    qint32 page = 0;
    // One row per host (or registrable domain, while grouped) in the order the run met it: its
    // number, the host, its count with "个".
    QList<QStringList> rows;
};

// What the run takes from one result page. Reading it needs nothing of the run, so a page that
// would take long to read can be read on another thread.
struct PageTake {
    std::optional<qint32> total; // as the page announces it, at most 1000
    // Host (see readableHost) and link of each result in page order, up to the one that ends the
    // run if one does.
    std::vector<std::pair<QString, QString>> results;
    qint32 firstNumber = 0; // of the page's first result
    qint32 lastNumber = 0;  // of the last result taken
    bool endsRun = false;   // a result reaches the total or the thousandth
    bool stalled = false;   // a result's number is not past the one before it: the walk ends
};
PageTake takePage(const QString& html);

// One analysis run: the walk through the explorer's result pages and the tally of what they list.
// It has no window and sends nothing; the window passes on what happens (the user's clicks, a
// page's text, a failed request) and does what the returned step says. The fields keep the
// program's historical names.
class AnalysisRun {
public:
    // A new run from the first page; what the last run found is dropped.
    RunStep start();
    // The user holds the run. A reply on its way is still taken when it comes, but nothing new is
    // asked for until resume().
    void hold();
    // The user lets the run go on. A reply still on its way asks for the next page itself when it
    // arrives, so no page is asked for twice.
    RunStep resume();

    // The reply to the last page requested: its text, or why there was none.
    RunStep pageArrived(const QString& html);
    // The same for a page already read with takePage().
    RunStep pageTaken(PageTake page);
    RunStep requestFailed(const QString& reason);

    // Ends with `tally` in place of what a walk would have found, as an import of link exports
    // does: the same rows, totals and host list as the end of a run. Not while a run walks.
    // `anchors`, `targets` and `rels` say which of what a link may carry its files had columns for.
    RunStep adopt(HostTally tally, bool anchors = false, bool targets = false, bool rels = false);

    bool running() const { return running_; }

    // One row per registrable domain instead of one per host, from the next end of a run on.
    // While an ended run's rows are on show, the step holds them regrouped (with the status line)
    // to show at once; otherwise there is nothing to do.
    RunStep setGroupedByDomain(bool on);
    bool groupedByDomain() const { return groupedByDomain_; }
    // Only an import's links can say which are nofollow. Leaving them out regroups the rows on
    // show at once, like setGroupedByDomain(); it is kept for the next import.
    bool knowsRel() const { return rels_; }
    RunStep setNofollowExcluded(bool on);
    bool nofollowExcluded() const { return nofollowExcluded_; }
    // A row a file of referring domains gave, with no links listed for it.
    bool listsNoLinks(const QString& row) const;
    // What the link list shows after each link where the import's files had it (anchor, target):
    // the headers, and the cells of each of a row's links.
    QStringList detailHeaders() const;
    QList<QStringList> detailsOf(const QString& row) const;

    // The links behind a row's name, in the order found: its host's, or every one of its domain's
    // hosts' while grouped; none for a name no row holds.
    QStringList linksOf(const QString& row) const;

    qint32 pageNo = 0;         // `b` of the next result page: 1, 51, 101, ...
    bool pause = false;        // true while the user holds the run
    bool pageInFlight = false; // a requested page has not answered yet
    HostTally dict;            // the links of the run, by host
    QString domainStr;         // the rows' hosts or domains in the order met, each with CR LF, but
                               // unreadableHost

private:
    RunStep nextPage(RunStep step);
    RunStep request(RunStep step);
    RunStep end(RunStep step);
    RunStep shownRows(RunStep step);

    bool running_ = false;
    bool groupedByDomain_ = false;
    bool shown_ = false;     // an ended run's rows are on show
    qint64 lastNumber_ = -1; // of the last result the run took
    HostTally byDomain_;     // dict by registrable domain, while grouped and shown
    bool nofollowExcluded_ = false;
    HostTally followed_; // dict without its nofollow links, while they are left out and shown
    bool anchors_ = false;
    bool targets_ = false;
    bool rels_ = false;
    const HostTally& shownTally() const;
};
