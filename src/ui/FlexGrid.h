// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "FlexGridModel.h"

#include <QSet>
#include <QTableView>

// The table both windows show their lists in (`tb1`). Cells are texts addressed by row and
// column from 0; row 0 and column 0 are fixed: row 0 is drawn as the horizontal header and
// column 0 as the vertical header, so both stay put while the other rows scroll. Sizes are in
// twips. Rows appended in one go reach the view in one batch, so filling thousands of rows costs
// no more than the rows themselves.
class FlexGrid : public QTableView {
    Q_OBJECT
public:
    // Sort settings of setSort(): the generic sorts compare the leading numbers of two cells
    // when both start with one ("12个" above "9个"), their texts otherwise; equal keys keep
    // their order.
    enum Sort { SortNone = 0, SortGenericAscending = 1, SortGenericDescending = 2 };

    FlexGrid(int rows, int cols, QWidget* parent = nullptr);
    ~FlexGrid() override;

    // Empties every cell, the fixed ones included; the numbers of rows and columns stay.
    void Clear();

    int Rows() const;
    void setRows(int rows); // at least 1: the fixed row always stays
    int Cols() const;
    void setCols(int cols); // at least 1; new columns have the default width

    // The current cell: the one the user last clicked.
    int Row() const;
    void setRow(int row);
    int Col() const;
    void setCol(int col);

    // Reorders the rows below the fixed row by the text of the current column.
    void setSort(Sort setting);

    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);

    // Appends a row; the TAB-separated pieces of `item` fill its cells from column 0 on.
    void AddItem(const QString& item);
    // Appends a row of these cells from column 0 on. Texts from outside go in this way, since
    // they may hold a TAB themselves.
    void addRow(QStringList cells);

    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    // Widens the number column as far as `widest` needs to be shown whole; never narrows it.
    void widenNumberColumn(const QString& widest);
    // Alignment codes: 0-8 are left/centre/right combined with top/centre/bottom (0 is left and
    // top), 9 is general: numbers to the right, texts to the left.
    void setColAlignment(int col, int code);

    // The rows the user has chosen, top to bottom: those selected, else the current one; none
    // before the user has chosen any.
    QList<int> chosenRows() const;
    // Puts the text that names each chosen row (column 1: the host, the link) on the clipboard,
    // one a line, without its number or count; Ctrl+C does the same. Empty ones are left out.
    void copyRow() const;

    // How each row is shown beyond its texts (see RowLook); refreshLooks() after what decides it
    // has changed.
    void setRowLook(std::function<RowLook(const QString&)> look);
    void refreshLooks();
    // Marks the rows named (column 1) in `names` with `note`, as FlexGridModel::setMarks; Clear()
    // takes the marks away.
    void setMarks(QSet<QString> names, const QString& note);

    // The first scrolling row in view (1 when the list is at its start).
    int TopRow() const;
    void setTopRow(int row);

Q_SIGNALS:
    // A double-click on a cell or a row's number, or Enter on the current row; Row() then names
    // the row.
    void DblClick();
    // The context menu is asked for at `globalPos`: by a right-click on row `row` (made
    // current), or with the keyboard on the current row; `row` is 0 when there was none.
    void menuRequested(int row, const QPoint& globalPos);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void applyHeaderSizes();
    void pickCurrentCell();
    void syncView() const;

    FlexGridModel* model_;
    int col_ = 1;
    QList<int> colWidths_; // twips
};
