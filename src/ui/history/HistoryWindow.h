// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "history/HistoryStore.h"

#include <QWidget>

#include <functional>

class ComparisonModel;
class HistoryChart;
class QComboBox;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

// "历史记录 - <site>": a site's snapshots in a table and a chart, and the comparison of any two
// snapshots (by default the site's newest two), which can be written out as CSV. It reads the
// history through a store of the window's thread, and deletes a snapshot after asking.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    HistoryWindow(HistoryStore& store, std::function<QString(const QString&)> domainOf,
                  QWidget* parent = nullptr);

    // Shows `site`'s snapshots and compares its newest two.
    void showSite(const QString& site);
    const QString& site() const { return site_; }
    // Rows by registrable domain, as the main grid.
    void setGrouped(bool grouped);
    // Reads the site's snapshots again, keeping the chosen comparison where it still exists.
    void reload();

    // Asks where to write the comparison, suggesting a name; empty to give up. Tests answer it.
    std::function<QString(const QString& suggested)> askSavePath;

Q_SIGNALS:
    // A comparison row was double-clicked: its host's (or domain's) links in the newer snapshot,
    // or in the older one for a lost host.
    void linksRequested(const QString& host, const QStringList& links);

private:
    void fillChoices(qint64 older, qint64 newer);
    void compare();
    void exportComparison();
    void deleteSnapshot();
    void showLinksOf(const QModelIndex& index);

    HistoryStore& store_;
    std::function<QString(const QString&)> domainOf_;
    QString site_;
    bool grouped_ = false;
    QList<SnapshotInfo> snapshots_;

    QStandardItemModel* list_;
    QTableView* listView_;
    HistoryChart* chart_;
    QComboBox* older_;
    QComboBox* newer_;
    QLabel* summary_;
    ComparisonModel* comparison_;
    QTableView* comparisonView_;
    QPushButton* export_;
    QPushButton* delete_;
};
