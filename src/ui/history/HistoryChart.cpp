// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HistoryChart.h"

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>

struct HistoryChart::Parts {
    QChart* chart = nullptr;
    QLineSeries* hosts = nullptr;
    QLineSeries* links = nullptr;
    QDateTimeAxis* time = nullptr;
    QValueAxis* hostAxis = nullptr;
    QValueAxis* linkAxis = nullptr;
};

HistoryChart::HistoryChart(QWidget* parent) : QWidget(parent), parts_(new Parts)
{
    auto* chart = new QChart;
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->setAnimationOptions(QChart::NoAnimation);
    parts_->chart = chart;
    parts_->hosts = new QLineSeries(chart);
    parts_->hosts->setName(QStringLiteral("域名"));
    parts_->links = new QLineSeries(chart);
    parts_->links->setName(QStringLiteral("链接"));
    parts_->hosts->setPointsVisible(true);
    parts_->links->setPointsVisible(true);
    chart->addSeries(parts_->hosts);
    chart->addSeries(parts_->links);
    parts_->time = new QDateTimeAxis(chart);
    parts_->time->setTickCount(4);
    parts_->hostAxis = new QValueAxis(chart);
    parts_->hostAxis->setLabelFormat(QStringLiteral("%d"));
    parts_->hostAxis->setTitleText(QStringLiteral("域名"));
    parts_->linkAxis = new QValueAxis(chart);
    parts_->linkAxis->setLabelFormat(QStringLiteral("%d"));
    parts_->linkAxis->setTitleText(QStringLiteral("链接"));
    chart->addAxis(parts_->time, Qt::AlignBottom);
    chart->addAxis(parts_->hostAxis, Qt::AlignLeft);
    chart->addAxis(parts_->linkAxis, Qt::AlignRight);
    parts_->hosts->attachAxis(parts_->time);
    parts_->hosts->attachAxis(parts_->hostAxis);
    parts_->links->attachAxis(parts_->time);
    parts_->links->attachAxis(parts_->linkAxis);

    auto* view = new QChartView(chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    // The table beside it is what the keyboard reaches; the chart repeats it in a picture.
    view->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    setAccessibleName(QStringLiteral("域名和链接数的变化图"));
}

HistoryChart::~HistoryChart()
{
    delete parts_;
}

void HistoryChart::setSnapshots(const QList<SnapshotInfo>& snapshots)
{
    QList<QPointF> hosts, links;
    qint64 mostHosts = 1, mostLinks = 1;
    for (const SnapshotInfo& info : snapshots) {
        const auto at = qreal(info.taken.toMSecsSinceEpoch());
        hosts.append({at, qreal(info.hostCount)});
        links.append({at, qreal(info.linkCount)});
        mostHosts = std::max(mostHosts, info.hostCount);
        mostLinks = std::max(mostLinks, info.linkCount);
    }
    parts_->hosts->replace(hosts);
    parts_->links->replace(links);
    if (!snapshots.isEmpty()) {
        QDateTime first = snapshots.front().taken.toLocalTime();
        QDateTime last = snapshots.back().taken.toLocalTime();
        if (first == last) { // one snapshot: a minute either side, so the point shows
            first = first.addSecs(-60);
            last = last.addSecs(60);
        }
        parts_->time->setRange(first, last);
        // Snapshots of one day differ by their hours.
        parts_->time->setFormat(first.daysTo(last) < 1 ? QStringLiteral("HH:mm:ss")
                                                       : QStringLiteral("MM-dd"));
    }
    parts_->hostAxis->setRange(0, qreal(mostHosts) * 1.1);
    parts_->linkAxis->setRange(0, qreal(mostLinks) * 1.1);
    parts_->hostAxis->applyNiceNumbers();
    parts_->linkAxis->applyNiceNumbers();
    setAccessibleDescription(trend(snapshots));
}

QString HistoryChart::trend(const QList<SnapshotInfo>& snapshots)
{
    if (snapshots.isEmpty())
        return QStringLiteral("没有快照");
    const SnapshotInfo& first = snapshots.front();
    const SnapshotInfo& last = snapshots.back();
    return QStringLiteral("%1次快照:域名从%2个到%3个,链接从%4条到%5条")
        .arg(snapshots.size())
        .arg(first.hostCount)
        .arg(last.hostCount)
        .arg(first.linkCount)
        .arg(last.linkCount);
}
