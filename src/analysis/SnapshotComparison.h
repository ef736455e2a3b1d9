// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

// How many links one host (or registrable domain) gave in one snapshot.
struct HostLinkCount {
    QString host;
    qint64 links = 0;
};

// One row of a comparison of two snapshots: a host in either or both, with its links in each.
struct ComparisonRow {
    enum class Change { New, Lost, Kept };

    QString name;
    Change change = Change::Kept;
    qint64 before = 0; // links in the older snapshot, 0 for a new host
    qint64 after = 0;  // links in the newer one, 0 for a lost host
};

struct SnapshotComparison {
    // New hosts first, then lost ones, then those kept; each group by the size of the change
    // in links, largest first, equal changes by name.
    std::vector<ComparisonRow> rows;
    qint64 newCount = 0;
    qint64 lostCount = 0;
    qint64 keptCount = 0;
};

// Compares the hosts of an `older` and a `newer` snapshot. With `group`, each host is counted
// under what `group` makes of it (its registrable domain), its links added to the group's.
// A host listed twice in one snapshot counts once, with its links added.
SnapshotComparison compareSnapshots(const std::vector<HostLinkCount>& older,
                                    const std::vector<HostLinkCount>& newer,
                                    const std::function<QString(const QString&)>& group = {});

// "新增N个,丢失M个,保留K个"
QString comparisonSummary(const SnapshotComparison& comparison);
// The texts of a row's 状态 and 变化 cells: "新增", "丢失", "保留"; "+3", "-2", "0".
QString changeName(ComparisonRow::Change change);
QString changeText(const ComparisonRow& row);

// The comparison as a spreadsheet reads it: UTF-8 with a byte-order mark, fields as RFC 4180
// quotes them, lines ended by CR LF, a header row 域名,状态,上次,本次,变化 first.
QByteArray comparisonCsv(const SnapshotComparison& comparison);
