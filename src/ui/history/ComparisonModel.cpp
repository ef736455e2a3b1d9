// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ComparisonModel.h"

#include "ui/ShownText.h"

void ComparisonModel::setComparison(SnapshotComparison comparison)
{
    beginResetModel();
    comparison_ = std::move(comparison);
    endResetModel();
}

int ComparisonModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(comparison_.rows.size());
}

int ComparisonModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 5;
}

QVariant ComparisonModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ComparisonRow& row = comparison_.rows[std::size_t(index.row())];
    if (role == Qt::TextAlignmentRole)
        return int((index.column() >= 2 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return shownText(row.name);
    case 1:
        return changeName(row.change);
    case 2:
        return QString::number(row.before);
    case 3:
        return QString::number(row.after);
    default:
        return changeText(row);
    }
}

QVariant ComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char16_t* const names[] = {u"域名", u"状态", u"上次", u"本次", u"变化"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 5)
        return QString::fromUtf16(names[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}
