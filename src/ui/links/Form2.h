// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ui/FlexGridModel.h"

#include <QList>
#include <QStringList>
#include <QWidget>

class FlexGrid;

// Columns shown after each link, where what was imported tells more of it: the header of each,
// and each link's cells in the order of the links.
struct LinkColumns {
    QStringList headers;
    QList<QStringList> cells;
};

// The link list window: the links found for one host, numbered in the order found. It is given
// what it shows and tells which link the user chose; opening it is the caller's business.
class Form2 : public QWidget {
    Q_OBJECT
public:
    Form2();
    ~Form2() override;

    // Shows `links` under the title `host`: a closed window is loaded afresh; an open one is
    // filled anew and brought to the front. No links leave the list's first row empty. The link
    // stays the first column; `more` adds its columns after it.
    void showLinks(const QString& host, const QStringList& links, const LinkColumns& more = {});

    // How each link is shown beyond its text; refreshLooks() after what decides it has changed.
    void setRowLook(std::function<RowLook(const QString&)> look);
    void refreshLooks();

Q_SIGNALS:
    // A double-click on a link or its number.
    void linkChosen(const QString& link);
    // "拒绝此链接" in a link's menu.
    void disavowRequested(const QString& link);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void formLoad();
    void fillList(const QStringList& links, const LinkColumns& more);
    void fitGrid();
    void onTb1DoubleClicked();

    FlexGrid* tb1;
};
