// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HistoryControl.h"

#include "HistoryWindow.h"
#include "analysis/RegistrableDomain.h"
#include "history/HistoryKeeper.h"
#include "ui/FlexGrid.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QShortcut>

namespace {

// Whether snapshots are kept, remembered across restarts.
const QString keepKey = QStringLiteral("history/keep");

const QString newMark = QStringLiteral("新增");

} // namespace

HistoryControl::HistoryControl(const QString& path, QWidget* window, FlexGrid* grid, QMenu* menu,
                               std::function<bool()> grouped)
    : QObject(window), window0_(window), grid_(grid), grouped_(std::move(grouped)),
      keeper_(std::make_unique<HistoryKeeper>(path))
{
    menu->addSeparator();
    history_ = menu->addAction(QStringLiteral("历史记录"));
    history_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    // Shown in the menu; the window-wide shortcut below does the work from anywhere in it.
    history_->setShortcutContext(Qt::WidgetShortcut);
    connect(history_, &QAction::triggered, this, &HistoryControl::openWindow);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), window);
    connect(shortcut, &QShortcut::activated, this, &HistoryControl::openWindow);

    keep_ = menu->addAction(QStringLiteral("保存历史"));
    keep_->setCheckable(true);
    keep_->setChecked(QSettings().value(keepKey, true).toBool());
    connect(keep_, &QAction::toggled, this, [](bool on) { QSettings().setValue(keepKey, on); });

    connect(keeper_.get(), &HistoryKeeper::opened, this, &HistoryControl::opened);
    connect(keeper_.get(), &HistoryKeeper::kept, this, &HistoryControl::kept);
    ++pending_;
    keeper_->open();
}

HistoryControl::~HistoryControl() = default;

void HistoryControl::opened(const StoreOpening& opening)
{
    ready_ = opening.state == StoreOpening::State::Ready;
    if (!opening.movedAside.isEmpty())
        MessageBox::show(window0_,
                         QStringLiteral("历史文件%1已损坏,已移到%2,并新建了历史文件")
                             .arg(keeper_->path(), opening.movedAside),
                         QStringLiteral("Warning"));
    failed_ = !ready_;
    if (!ready_) {
        // Nothing can be kept: the entry says why, and the box says it once.
        keep_->setEnabled(false);
        keep_->setToolTip(opening.reason);
        MessageBox::show(window0_,
                         QStringLiteral("无法使用历史文件%1:%2,历史不会被保存")
                             .arg(keeper_->path(), opening.reason),
                         QStringLiteral("Warning"));
    }
    if (--pending_ == 0)
        Q_EMIT settled();
}

void HistoryControl::ended(const QString& site, const QStringList& files, const HostTally& tally)
{
    site_ = site;
    hadPrevious_ = false;
    // An import named on the command line can end before the file is open; the keeper opens it
    // first all the same, as it takes its work in order.
    if (site.isEmpty() || failed_)
        return;
    ++pending_;
    keeper_->keep({site, QDateTime::currentDateTimeUtc(), files, tally}, keep_->isChecked());
}

void HistoryControl::kept(const QString& site, bool hadPrevious, const QSet<QString>& previousHosts,
                          const QSet<QString>& previousDomains, const QString& error)
{
    if (!error.isEmpty())
        MessageBox::show(window0_, QStringLiteral("历史未能保存:") + error,
                         QStringLiteral("Warning"));
    // Another run may have ended since: its own answer is on its way.
    if (site == site_) {
        hadPrevious_ = hadPrevious;
        previousHosts_ = previousHosts;
        previousDomains_ = previousDomains;
        markRows();
        if (window_ && window_->isVisible() && window_->site() == site)
            window_->reload();
    }
    if (--pending_ == 0)
        Q_EMIT settled();
}

void HistoryControl::markRows()
{
    if (window_)
        window_->setGrouped(grouped_());
    if (!hadPrevious_) {
        grid_->setMarks({}, newMark);
        return;
    }
    const QSet<QString>& previous = grouped_() ? previousDomains_ : previousHosts_;
    QSet<QString> added;
    for (int row = 1; row < grid_->Rows(); ++row) {
        const QString name = grid_->TextMatrix(row, 1);
        if (!name.isEmpty() && !previous.contains(name))
            added.insert(name);
    }
    grid_->setMarks(std::move(added), newMark);
}

HistoryStore* HistoryControl::store()
{
    if (!ready_)
        return nullptr;
    if (!reader_) {
        reader_ = std::make_unique<HistoryStore>(keeper_->path());
        if (reader_->attach().state != StoreOpening::State::Ready) {
            reader_.reset();
            return nullptr;
        }
    }
    return reader_.get();
}

void HistoryControl::openWindow()
{
    HistoryStore* reader = store();
    if (!reader) {
        MessageBox::show(window0_, QStringLiteral("没有可用的历史文件"), QStringLiteral("Warning"));
        return;
    }
    QString site = site_;
    if (site.isEmpty())
        site = reader->sites().value(0);
    if (!window_) {
        window_ = new HistoryWindow(*reader, registrableDomain, window0_);
        connect(window_, &HistoryWindow::linksRequested, this, &HistoryControl::linksRequested);
    }
    window_->setGrouped(grouped_());
    window_->showSite(site);
    window_->show();
    window_->raise();
    window_->activateWindow();
}
