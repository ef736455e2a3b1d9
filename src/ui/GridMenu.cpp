// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GridMenu.h"

#include "FlexGrid.h"

GridMenu::GridMenu(FlexGrid* grid) : QMenu(grid), grid_(grid)
{
    QAction* copy = addRowAction(QStringLiteral("复制"), [grid] { grid->copyRow(); });
    // Shown beside the entry as the key that does the same; the grid itself takes the key.
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(grid, &FlexGrid::menuRequested, this, &GridMenu::open);
}

QAction* GridMenu::addRowAction(const QString& text, const std::function<void()>& act)
{
    QAction* action = addAction(text);
    connect(action, &QAction::triggered, this, act);
    rowActions_.append(action);
    return action;
}

void GridMenu::open(int row, const QPoint& globalPos)
{
    const bool onRow = row >= 1 && !grid_->TextMatrix(row, 1).isEmpty();
    for (QAction* action : std::as_const(rowActions_))
        action->setEnabled(onRow);
    popup(globalPos);
}
