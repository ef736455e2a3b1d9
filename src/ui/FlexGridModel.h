// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractTableModel>
#include <QSet>
#include <QStringList>

#include <functional>
#include <vector>

// How a row is shown beyond its texts, decided by its name (column 1): struck through, and a note
// that its cells give as their tooltip and accessible description.
struct RowLook {
    bool struck = false;
    QString note;
};

// The cells of a FlexGrid, addressed by row and column from 0. The view sees row 0 as its
// horizontal header and column 0 as its vertical header, so model row r is cell row r + 1. Rows
// appended since the last event-loop turn are announced to the view in one batch, so filling
// thousands of rows costs no more than the rows themselves.
class FlexGridModel final : public QAbstractTableModel {
public:
    FlexGridModel(int rows, int cols, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int rows() const { return int(cells_.size()); }
    int cols() const { return cols_; }

    // Out of range reads give an empty text and writes do nothing.
    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);

    // Empties every cell, the fixed ones included; the numbers of rows and columns stay.
    void clear();
    void setRows(int rows); // at least 1: the fixed row always stays
    void setCols(int cols); // at least 1; cells past the new last column are dropped
    // Appends a row whose cells are `cells` from column 0 on, cut or padded to the columns.
    void append(QStringList cells);
    // Tells the view about the rows appended since the last call.
    void flush();

    // Reorders the rows below the fixed row by the generic order of column `col`.
    void sortRows(int col, bool descending);
    void setAlignment(int col, Qt::Alignment alignment); // none: general

    // Asked for each row as it is drawn, by the row's name; refreshLooks() redraws them all.
    void setRowLook(std::function<RowLook(const QString&)> look);
    void refreshLooks();
    // Marks the rows whose name (column 1) is in `names`: the name's cell is drawn bold on a light
    // green ground, and `note` goes before the row's own in its tooltip and accessible
    // description. Until clear().
    void setMarks(QSet<QString> names, const QString& note);

private:
    QVariant cellData(int row, int col, int role) const;

    int cols_;
    int committed_; // rows the view knows, the fixed row included
    std::vector<QStringList> cells_;
    std::vector<Qt::Alignment> alignments_;
    bool flushQueued_ = false;
    std::function<RowLook(const QString&)> look_;
    QSet<QString> marks_;
    QString markNote_;
};
