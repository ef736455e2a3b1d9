// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QMenu>

#include <functional>

class FlexGrid;

// The menu a right-click on a grid opens (or the menu key, for the current row). Its first entry,
// "复制", copies the row's name as Ctrl+C does; the entries of addRowAction act on the row too and,
// like the copy, are greyed out when the click was on no row or an empty one.
class GridMenu : public QMenu {
    Q_OBJECT
public:
    explicit GridMenu(FlexGrid* grid);

    QAction* addRowAction(const QString& text, const std::function<void()>& act);

private:
    void open(int row, const QPoint& globalPos);

    FlexGrid* grid_;
    QList<QAction*> rowActions_;
};
