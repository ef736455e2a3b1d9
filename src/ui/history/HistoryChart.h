// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "history/HistoryStore.h"

#include <QWidget>

// The hosts and links of a site's snapshots over time, as two lines. The charting library is
// known to this class alone, so trading it for another touches nothing else. A screen reader
// cannot read a chart: its accessible description tells the trend in words, and the snapshot
// table beside it holds every number.
class HistoryChart : public QWidget {
    Q_OBJECT
public:
    explicit HistoryChart(QWidget* parent = nullptr);
    ~HistoryChart() override;

    // Oldest first.
    void setSnapshots(const QList<SnapshotInfo>& snapshots);

    // "3次快照:域名从12个到15个,链接从40条到52条"
    static QString trend(const QList<SnapshotInfo>& snapshots);

private:
    struct Parts;
    Parts* parts_;
};
