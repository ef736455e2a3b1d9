// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HistoryWindow.h"

#include "ComparisonModel.h"
#include "HistoryChart.h"
#include "platform/SafeSave.h"
#include "platform/Twips.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString sourceText(const SnapshotInfo& info)
{
    return info.files.isEmpty() ? QStringLiteral("查询")
                                : QStringLiteral("导入 ") + info.files.join(QStringLiteral(", "));
}

QString timeText(const SnapshotInfo& info)
{
    return info.taken.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QTableView* tableView(QAbstractItemModel* model, const QString& name, QWidget* parent)
{
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->setAccessibleName(name);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setWordWrap(false);
    return view;
}

} // namespace

HistoryWindow::HistoryWindow(HistoryStore& store, std::function<QString(const QString&)> domainOf,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), domainOf_(std::move(domainOf)),
      list_(new QStandardItemModel(0, 4, this)), comparison_(new ComparisonModel(this))
{
    setObjectName(QStringLiteral("history"));
    setFont(simSunFont(9));
    resize(twipsToPixels(10500), twipsToPixels(9000));
    list_->setHorizontalHeaderLabels({QStringLiteral("时间"), QStringLiteral("来源"),
                                      QStringLiteral("域名"), QStringLiteral("链接")});

    listView_ = tableView(list_, QStringLiteral("快照"), this);
    listView_->setObjectName(QStringLiteral("snapshots"));
    chart_ = new HistoryChart(this);
    chart_->setObjectName(QStringLiteral("chart"));
    chart_->setMinimumHeight(twipsToPixels(2700));

    older_ = new QComboBox(this);
    older_->setObjectName(QStringLiteral("older"));
    older_->setAccessibleName(QStringLiteral("上次"));
    newer_ = new QComboBox(this);
    newer_->setObjectName(QStringLiteral("newer"));
    newer_->setAccessibleName(QStringLiteral("本次"));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setTextFormat(Qt::PlainText);

    comparisonView_ = tableView(comparison_, QStringLiteral("对比"), this);
    comparisonView_->setObjectName(QStringLiteral("comparison"));
    comparisonView_->setColumnWidth(0, twipsToPixels(4200));
    export_ = new QPushButton(QStringLiteral("导出对比"), this);
    export_->setObjectName(QStringLiteral("export"));
    delete_ = new QPushButton(QStringLiteral("删除"), this);
    delete_->setObjectName(QStringLiteral("delete"));
    delete_->setAccessibleDescription(QStringLiteral("删除所选的快照"));

    const int gap = twipsToPixels(90);
    auto* top = new QHBoxLayout;
    top->setSpacing(gap);
    top->addWidget(listView_, 1);
    top->addWidget(chart_, 1);
    auto* choose = new QHBoxLayout;
    choose->setSpacing(gap);
    auto* olderLabel = new QLabel(QStringLiteral("上次"), this);
    olderLabel->setBuddy(older_);
    auto* newerLabel = new QLabel(QStringLiteral("本次"), this);
    newerLabel->setBuddy(newer_);
    choose->addWidget(olderLabel);
    choose->addWidget(older_, 1);
    choose->addWidget(newerLabel);
    choose->addWidget(newer_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(gap);
    bottom->addWidget(summary_, 1);
    bottom->addWidget(export_);
    bottom->addWidget(delete_);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(gap);
    layout->addLayout(top, 2);
    layout->addLayout(choose);
    layout->addWidget(comparisonView_, 3);
    layout->addLayout(bottom);
    setTabOrder(listView_, older_);
    setTabOrder(older_, newer_);
    setTabOrder(newer_, comparisonView_);
    setTabOrder(comparisonView_, export_);
    setTabOrder(export_, delete_);

    connect(older_, &QComboBox::activated, this, &HistoryWindow::compare);
    connect(newer_, &QComboBox::activated, this, &HistoryWindow::compare);
    connect(export_, &QPushButton::clicked, this, &HistoryWindow::exportComparison);
    connect(delete_, &QPushButton::clicked, this, &HistoryWindow::deleteSnapshot);
    connect(comparisonView_, &QTableView::doubleClicked, this, &HistoryWindow::showLinksOf);

    askSavePath = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("导出对比"), suggested,
                                            QStringLiteral("CSV (*.csv)"));
    };
}

void HistoryWindow::showSite(const QString& site)
{
    site_ = site;
    setWindowTitle(QStringLiteral("历史记录 - ") + site);
    fillChoices(0, 0);
}

void HistoryWindow::setGrouped(bool grouped)
{
    if (grouped_ == grouped)
        return;
    grouped_ = grouped;
    compare();
}

void HistoryWindow::reload()
{
    fillChoices(older_->currentData().toLongLong(), newer_->currentData().toLongLong());
}

// Both choices list every snapshot of every site, this site's first, so that a site can be set
// against another one (a competitor's).
void HistoryWindow::fillChoices(qint64 older, qint64 newer)
{
    snapshots_ = store_.snapshots(site_);
    list_->setRowCount(0);
    for (const SnapshotInfo& info : std::as_const(snapshots_)) {
        QList<QStandardItem*> row{new QStandardItem(timeText(info)),
                                  new QStandardItem(sourceText(info)),
                                  new QStandardItem(QString::number(info.hostCount)),
                                  new QStandardItem(QString::number(info.linkCount))};
        row[0]->setData(info.id);
        row[2]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row[3]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list_->appendRow(row);
    }
    listView_->resizeColumnsToContents();
    if (!snapshots_.isEmpty())
        listView_->selectRow(int(snapshots_.size()) - 1);
    delete_->setEnabled(!snapshots_.isEmpty());
    chart_->setSnapshots(snapshots_);

    QList<SnapshotInfo> all;
    for (auto it = snapshots_.crbegin(); it != snapshots_.crend(); ++it)
        all.append(*it);
    for (const QString& other : store_.sites()) {
        if (other == site_)
            continue;
        const QList<SnapshotInfo> theirs = store_.snapshots(other);
        for (auto it = theirs.crbegin(); it != theirs.crend(); ++it)
            all.append(*it);
    }
    for (QComboBox* box : {older_, newer_}) {
        box->clear();
        for (const SnapshotInfo& info : std::as_const(all))
            box->addItem(info.site + QStringLiteral("  ") + timeText(info) + QStringLiteral("  ") +
                             sourceText(info),
                         info.id);
    }
    // The newest two of the site unless a choice still stands; one snapshot is set against itself.
    const int newest = 0, before = snapshots_.size() > 1 ? 1 : 0;
    const int olderAt = older_->findData(older), newerAt = newer_->findData(newer);
    older_->setCurrentIndex(olderAt >= 0 ? olderAt : before);
    newer_->setCurrentIndex(newerAt >= 0 ? newerAt : newest);
    compare();
}

void HistoryWindow::compare()
{
    const qint64 older = older_->currentData().toLongLong();
    const qint64 newer = newer_->currentData().toLongLong();
    SnapshotComparison comparison;
    if (older_->currentIndex() >= 0 && newer_->currentIndex() >= 0) {
        comparison =
            compareSnapshots(store_.hostCounts(older), store_.hostCounts(newer),
                             grouped_ ? domainOf_ : std::function<QString(const QString&)>());
    }
    summary_->setText(comparisonSummary(comparison));
    comparisonView_->setAccessibleDescription(summary_->text());
    comparison_->setComparison(std::move(comparison));
    export_->setEnabled(newer_->currentIndex() >= 0);
}

void HistoryWindow::exportComparison()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = askSavePath(QDir(folder).filePath(site_ + QStringLiteral("-对比.csv")));
    if (path.isEmpty())
        return;
    const QString failure = saveFile(path, comparisonCsv(comparison_->comparison()));
    if (!failure.isEmpty()) {
        MessageBox::show(this, QStringLiteral("导出到") + path + QStringLiteral("失败:") + failure,
                         QStringLiteral("Warning"));
        return;
    }
    MessageBox::show(this, QStringLiteral("导出到") + path + QStringLiteral("成功!"),
                     QStringLiteral("提示"));
}

void HistoryWindow::deleteSnapshot()
{
    const QModelIndex current = listView_->currentIndex();
    if (!current.isValid())
        return;
    const SnapshotInfo& info = snapshots_[current.row()];
    if (MessageBox::ask(this,
                        QStringLiteral("删除%1的快照(%2)?").arg(timeText(info), sourceText(info)),
                        QStringLiteral("删除"), {QStringLiteral("删除")}) != 0)
        return;
    if (!store_.remove(info.id)) {
        MessageBox::show(this, QStringLiteral("删除快照失败:") + store_.lastError(),
                         QStringLiteral("Warning"));
        return;
    }
    reload();
}

void HistoryWindow::showLinksOf(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const ComparisonRow& row = comparison_->comparison().rows[std::size_t(index.row())];
    const bool lost = row.change == ComparisonRow::Change::Lost;
    const qint64 snapshot = (lost ? older_ : newer_)->currentData().toLongLong();
    const QString name = row.name;
    const auto matches =
        grouped_ ? std::function([&](const QString& host) { return domainOf_(host) == name; })
                 : std::function([&](const QString& host) { return host == name; });
    Q_EMIT linksRequested(name, store_.links(snapshot, matches));
}
