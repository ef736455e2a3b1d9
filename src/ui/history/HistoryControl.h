// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "analysis/HostTally.h"
#include "history/HistoryStore.h"

#include <QObject>
#include <QSet>

#include <functional>
#include <memory>

class FlexGrid;
class HistoryKeeper;
class HistoryWindow;
class QAction;
class QMenu;
class QWidget;

// What the main window knows of the history: it keeps a snapshot when a run or an import ends,
// marks the grid's rows the site's previous snapshot lacked ("新增"), and adds "历史记录"
// (Ctrl+H) and "保存历史" to the grid's menu. Problems with the file are told in a "Warning" box;
// the grid, the link list and the export go on as if there were no history.
class HistoryControl : public QObject {
    Q_OBJECT
public:
    // `grouped` tells whether the grid shows registrable domains.
    HistoryControl(const QString& path, QWidget* window, FlexGrid* grid, QMenu* menu,
                   std::function<bool()> grouped);
    ~HistoryControl() override;

    // A run or an import ended with `tally` on show; `files` are the import's, empty for a run.
    void ended(const QString& site, const QStringList& files, const HostTally& tally);
    // The grid's rows were shown anew (regrouped): marks them again.
    void markRows();

    // The window thread's connection to the history file; nullptr while there is none.
    HistoryStore* store();
    HistoryWindow* window() const { return window_; }
    QAction* historyAction() const { return history_; }
    QAction* keepAction() const { return keep_; }

Q_SIGNALS:
    // Everything the keeper was asked so far is done (for tests and benchmarks).
    void settled();
    // The history window asks to list a host's links.
    void linksRequested(const QString& host, const QStringList& links);

private:
    void opened(const StoreOpening& opening);
    void kept(const QString& site, bool hadPrevious, const QSet<QString>& previousHosts,
              const QSet<QString>& previousDomains, const QString& error);
    void openWindow();

    QWidget* window0_;
    FlexGrid* grid_;
    std::function<bool()> grouped_;
    std::unique_ptr<HistoryKeeper> keeper_;
    std::unique_ptr<HistoryStore> reader_;
    bool ready_ = false;
    // The file could not be opened: nothing is handed to the keeper any more.
    bool failed_ = false;
    int pending_ = 0;

    QString site_; // of the results on show
    bool hadPrevious_ = false;
    QSet<QString> previousHosts_, previousDomains_;

    QAction* history_;
    QAction* keep_;
    HistoryWindow* window_ = nullptr;
};
