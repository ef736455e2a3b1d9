// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FlexGridModel.h"

#include "platform/GenericSort.h"
#include "ui/ShownText.h"

#include <QColor>
#include <QFont>
#include <QTimer>

#include <algorithm>

FlexGridModel::FlexGridModel(int rows, int cols, QObject* parent)
    : QAbstractTableModel(parent), cols_(std::max(cols, 1)), committed_(std::max(rows, 1)),
      cells_(committed_, QStringList(cols_, QString())), alignments_(cols_)
{
}

int FlexGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : committed_ - 1;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : cols_ - 1;
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    return cellData(index.row() + 1, index.column() + 1, role);
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < cols_ - 1 ? cellData(0, section + 1, role) : QVariant();
    return section >= 0 && section < committed_ - 1 ? cellData(section + 1, 0, role) : QVariant();
}

QString FlexGridModel::text(int row, int col) const
{
    if (row < 0 || row >= rows() || col < 0 || col >= cols_)
        return {};
    return cells_[row][col];
}

void FlexGridModel::setText(int row, int col, const QString& text)
{
    if (row < 0 || row >= rows() || col < 0 || col >= cols_)
        return;
    cells_[row][col] = text;
    if (row >= committed_)
        return;
    if (row == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    else if (col == 0)
        Q_EMIT headerDataChanged(Qt::Vertical, row - 1, row - 1);
    else
        Q_EMIT dataChanged(index(row - 1, col - 1), index(row - 1, col - 1));
}

void FlexGridModel::clear()
{
    marks_.clear();
    flush();
    for (QStringList& row : cells_)
        std::fill(row.begin(), row.end(), QString());
    if (committed_ > 1 && cols_ > 1)
        Q_EMIT dataChanged(index(0, 0), index(committed_ - 2, cols_ - 2));
    if (cols_ > 1)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, cols_ - 2);
    if (committed_ > 1)
        Q_EMIT headerDataChanged(Qt::Vertical, 0, committed_ - 2);
}

void FlexGridModel::setRows(int rows)
{
    flush();
    rows = std::max(rows, 1);
    if (rows < committed_) {
        beginRemoveRows({}, rows - 1, committed_ - 2);
        cells_.resize(rows);
        committed_ = rows;
        endRemoveRows();
    } else if (rows > committed_) {
        cells_.resize(rows, QStringList(cols_, QString()));
        flush();
    }
}

void FlexGridModel::setCols(int cols)
{
    flush();
    cols = std::max(cols, 1);
    if (cols == cols_)
        return;
    beginResetModel();
    cols_ = cols;
    for (QStringList& row : cells_)
        row.resize(cols_);
    alignments_.resize(cols_);
    endResetModel();
}

void FlexGridModel::append(QStringList cells)
{
    // A list the caller still shares is copied by any resize, even to its own size.
    if (cells.size() != cols_)
        cells.resize(cols_);
    cells_.push_back(std::move(cells));
    if (!flushQueued_) {
        flushQueued_ = true;
        QTimer::singleShot(0, this, [this] { flush(); });
    }
}

void FlexGridModel::flush()
{
    flushQueued_ = false;
    if (rows() == committed_)
        return;
    beginInsertRows({}, committed_ - 1, rows() - 2);
    committed_ = rows();
    endInsertRows();
}

void FlexGridModel::sortRows(int col, bool descending)
{
    flush();
    if (rows() <= 2 || col < 0 || col >= cols_)
        return;
    QStringList keys;
    keys.reserve(rows() - 1);
    for (int r = 1; r < rows(); ++r)
        keys.append(cells_[r][col]);
    std::vector<QStringList> sorted;
    sorted.reserve(cells_.size());
    sorted.push_back(std::move(cells_[0]));
    for (int i : genericSortOrder(keys, descending))
        sorted.push_back(std::move(cells_[i + 1]));
    beginResetModel();
    cells_ = std::move(sorted);
    endResetModel();
}

void FlexGridModel::setAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || col >= cols_)
        return;
    alignments_[col] = alignment;
    if (committed_ > 1 && col > 0)
        Q_EMIT dataChanged(index(0, col - 1), index(committed_ - 2, col - 1));
}

void FlexGridModel::setRowLook(std::function<RowLook(const QString&)> look)
{
    look_ = std::move(look);
    refreshLooks();
}

void FlexGridModel::refreshLooks()
{
    if (committed_ > 1 && cols_ > 1)
        Q_EMIT dataChanged(index(0, 0), index(committed_ - 2, cols_ - 2),
                           {Qt::FontRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

void FlexGridModel::setMarks(QSet<QString> names, const QString& note)
{
    marks_ = std::move(names);
    markNote_ = note;
    refreshLooks();
}

QVariant FlexGridModel::cellData(int row, int col, int role) const
{
    if (role == Qt::DisplayRole)
        return shownText(cells_[row][col]);
    if ((role == Qt::FontRole || role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole ||
         role == Qt::BackgroundRole) &&
        row > 0 && col > 0 && (look_ || !marks_.isEmpty())) {
        const RowLook look = look_ ? look_(cells_[row][1]) : RowLook{};
        const bool marked = col == 1 && !marks_.isEmpty() && marks_.contains(cells_[row][1]);
        if (role == Qt::BackgroundRole)
            return marked ? QVariant(QColor(0xdc, 0xf5, 0xd4)) : QVariant();
        if (role != Qt::FontRole) {
            const QString note =
                marked ? (look.note.isEmpty() ? markNote_ : markNote_ + u',' + look.note)
                       : look.note;
            return note.isEmpty() ? QVariant() : note;
        }
        if (!look.struck && !marked)
            return {};
        // Only the strike and the weight are set: the view takes the rest from its own font.
        QFont font;
        font.setStrikeOut(look.struck);
        if (marked)
            font.setBold(true);
        return font;
    }
    if (role == Qt::TextAlignmentRole) {
        if (alignments_[col])
            return int(alignments_[col]);
        bool number = false;
        cells_[row][col].toDouble(&number);
        return int((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return {};
}
