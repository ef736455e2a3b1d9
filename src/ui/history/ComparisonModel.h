// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "analysis/SnapshotComparison.h"

#include <QAbstractTableModel>

// The rows of a comparison, in its order: 域名, 状态, 上次, 本次, 变化. A million rows cost only
// what the view shows of them.
class ComparisonModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setComparison(SnapshotComparison comparison);
    const SnapshotComparison& comparison() const { return comparison_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    SnapshotComparison comparison_;
};
