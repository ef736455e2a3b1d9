// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "analysis/DisavowFile.h"
#include "ui/FlexGridModel.h"

#include <QObject>

#include <functional>

class DisavowMarks;
class FlexGrid;
class GridMenu;
class QWidget;

// The host grid's disavow entries: marking the chosen rows ("拒绝这些域名"), taking them back
// ("取消拒绝"), writing the site's marks to a disavow file, merged with the one the user has
// ("导出拒绝文件…"), and reading one into the marks ("导入拒绝文件…"). Rows and links covered by a
// mark are shown struck through.
class DisavowActions : public QObject {
    Q_OBJECT
public:
    // `site` names the site whose marks are meant; `folder` where files are offered to go.
    DisavowActions(QWidget* window, FlexGrid* grid, GridMenu* menu, DisavowMarks* marks,
                   std::function<QString()> site, std::function<QString()> folder);

    // Marks one address found as a link ("拒绝此链接" in the link list).
    void disavowLink(const QString& url);
    // How a row named by a host, a registrable domain or an address is shown.
    RowLook look(const QString& name);

Q_SIGNALS:
    void marksChanged();

private:
    void disavowChosen();
    void undoChosen();
    void exportFile();
    void importFile();
    QString siteOrSay();
    void changed();
    const DisavowCover& cover();

    QWidget* window_;
    FlexGrid* grid_;
    DisavowMarks* marks_;
    std::function<QString()> site_;
    std::function<QString()> folder_;
    QString coveredSite_; // whose marks cover_ holds
    DisavowCover cover_{{}};
    bool coverStale_ = true;
};
