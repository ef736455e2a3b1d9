// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DisavowActions.h"

#include "analysis/DisavowMarks.h"
#include "ui/FileDialog.h"
#include "ui/FlexGrid.h"
#include "ui/GridMenu.h"
#include "ui/MessageBox.h"

#include <QDate>
#include <QFileInfo>

namespace {

const QString warning = QStringLiteral("Warning");
const QString fileFilter = QStringLiteral("文本文件 (*.txt);;所有文件 (*)");

// Names from outside, one a line, as many as a box can show: the rest are counted.
QString listed(const QStringList& items)
{
    constexpr int shown = 20;
    constexpr int longest = 120;
    QStringList lines;
    for (const QString& item : items.mid(0, shown))
        lines.append(item.size() > longest ? item.left(longest) + u'…' : item);
    if (items.size() > shown)
        lines.append(QStringLiteral("……另有%1项").arg(items.size() - shown));
    return lines.join(u'\n');
}

QStringList numbered(const QList<DisavowLine>& lines)
{
    QStringList items;
    for (const DisavowLine& line : lines)
        items.append(
            QStringLiteral("第%1行(%2): ").arg(line.number).arg(disavowProblemText(line.problem)) +
            line.text);
    return items;
}

QString entryOf(const QString& name)
{
    return name.startsWith(u"http://", Qt::CaseInsensitive) ||
                   name.startsWith(u"https://", Qt::CaseInsensitive)
               ? disavowUrlEntry(name)
               : disavowDomainEntry(name);
}

} // namespace

DisavowActions::DisavowActions(QWidget* window, FlexGrid* grid, GridMenu* menu, DisavowMarks* marks,
                               std::function<QString()> site, std::function<QString()> folder)
    : QObject(window), window_(window), grid_(grid), marks_(marks), site_(std::move(site)),
      folder_(std::move(folder))
{
    menu->addRowAction(QStringLiteral("拒绝这些域名"), [this] { disavowChosen(); });
    menu->addRowAction(QStringLiteral("取消拒绝"), [this] { undoChosen(); });
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("导出拒绝文件…")), &QAction::triggered, this,
            &DisavowActions::exportFile);
    connect(menu->addAction(QStringLiteral("导入拒绝文件…")), &QAction::triggered, this,
            &DisavowActions::importFile);
    grid->setRowLook([this](const QString& name) { return look(name); });
}

const DisavowCover& DisavowActions::cover()
{
    const QString site = site_();
    if (coverStale_ || site != coveredSite_) {
        cover_ = DisavowCover(marks_->list(site));
        coveredSite_ = site;
        coverStale_ = false;
    }
    return cover_;
}

RowLook DisavowActions::look(const QString& name)
{
    // Asked for every row drawn: a site without marks costs no more than the question.
    if (cover().isEmpty())
        return {};
    const QString entry = entryOf(name);
    if (entry.isEmpty() || !cover().covers(entry))
        return {};
    return {true, QStringLiteral("已拒绝")};
}

void DisavowActions::changed()
{
    coverStale_ = true;
    grid_->refreshLooks();
    Q_EMIT marksChanged();
}

QString DisavowActions::siteOrSay()
{
    const QString site = site_();
    if (site.isEmpty())
        MessageBox::show(window_, QStringLiteral("请先输入网站,拒绝的域名按网站记录。"), warning);
    return site;
}

void DisavowActions::disavowChosen()
{
    const QString site = siteOrSay();
    if (site.isEmpty())
        return;
    QStringList entries;
    QStringList notHosts;
    for (int row : grid_->chosenRows()) {
        const QString name = grid_->TextMatrix(row, 1);
        const QString entry = disavowDomainEntry(name);
        if (!entry.isEmpty())
            entries.append(entry);
        else if (!name.isEmpty())
            notHosts.append(name);
    }
    QString reason;
    if (!marks_->add(site, entries, &reason))
        MessageBox::show(window_, QStringLiteral("未能记下拒绝的域名:") + reason, warning);
    changed();
    if (!notHosts.isEmpty())
        MessageBox::show(window_, QStringLiteral("以下几行不是域名,没有标记:\n") + listed(notHosts),
                         warning);
}

void DisavowActions::undoChosen()
{
    const QString site = siteOrSay();
    if (site.isEmpty())
        return;
    // A row is disavowed by its own entry or by one of a domain above it: taking the row back
    // takes back whichever covers it.
    QStringList entries;
    for (int row : grid_->chosenRows())
        entries += cover().coveringOf(disavowDomainEntry(grid_->TextMatrix(row, 1)));
    QString reason;
    if (!marks_->remove(site, entries, &reason))
        MessageBox::show(window_, QStringLiteral("未能取消拒绝:") + reason, warning);
    changed();
}

void DisavowActions::disavowLink(const QString& url)
{
    const QString site = siteOrSay();
    if (site.isEmpty())
        return;
    const QString entry = disavowUrlEntry(url);
    QString reason;
    if (entry.isEmpty())
        MessageBox::show(window_, QStringLiteral("这不是可以拒绝的网址:\n") + listed({url}),
                         warning);
    else if (!marks_->add(site, {entry}, &reason))
        MessageBox::show(window_, QStringLiteral("未能记下拒绝的链接:") + reason, warning);
    changed();
}

void DisavowActions::exportFile()
{
    const QString site = siteOrSay();
    if (site.isEmpty())
        return;
    const QStringList marks = marks_->list(site);
    if (marks.isEmpty()) {
        MessageBox::show(window_,
                         QStringLiteral("%1没有拒绝的域名或链接:先在列表中选中域名,"
                                        "用右键菜单的\"拒绝这些域名\"标记。")
                             .arg(site),
                         QStringLiteral("提示"));
        return;
    }
    QString name = site;
    name.replace(u'/', u'_');
    const QString path = FileDialog::saveFileName(
        window_, QStringLiteral("导出拒绝文件"),
        folder_() + u'/' + name + QStringLiteral("-disavow.txt"), fileFilter);
    if (path.isEmpty())
        return;
    // A new upload replaces the file the search engine had: what it held must go into this one.
    const int merge = MessageBox::ask(
        window_,
        QStringLiteral("上传新的拒绝文件会替换原来的文件。要把已有拒绝文件的内容合并进来吗?"),
        QStringLiteral("导出拒绝文件"),
        {QStringLiteral("合并已有文件…"), QStringLiteral("不合并")});
    if (merge < 0)
        return;
    QString existing;
    if (merge == 0) {
        const QString from = FileDialog::openFileName(
            window_, QStringLiteral("选择已有的拒绝文件"),
            QFileInfo::exists(path) ? path : QFileInfo(path).absolutePath(), fileFilter);
        if (from.isEmpty())
            return;
        const DisavowIo read = readDisavowFile(from);
        if (!read.ok) {
            MessageBox::show(window_,
                             QStringLiteral("读取") + from + QStringLiteral("失败:") + read.reason,
                             warning);
            return;
        }
        existing = read.text;
    }

    const DisavowMerge merged = mergeDisavow(existing, marks, QDate::currentDate());
    if (merged.linesOver > 0 || merged.bytesOver > 0) {
        QStringList over;
        if (merged.linesOver > 0)
            over.append(QStringLiteral("共%1行,超过上限%2行,多出%3行")
                            .arg(merged.lines)
                            .arg(disavowMaxLines)
                            .arg(merged.linesOver));
        if (merged.bytesOver > 0)
            over.append(QStringLiteral("共%1字节,超过上限%2字节,多出%3字节")
                            .arg(merged.bytes.size())
                            .arg(disavowMaxBytes)
                            .arg(merged.bytesOver));
        MessageBox::show(window_,
                         QStringLiteral("拒绝文件太大,搜索引擎不会接受,没有写入%1:\n").arg(path) +
                             over.join(u'\n'),
                         warning);
        return;
    }
    const DisavowIo written = writeDisavowFile(path, merged.bytes);
    if (!written.ok) {
        MessageBox::show(window_,
                         QStringLiteral("导出到") + path + QStringLiteral("失败:") + written.reason,
                         warning);
        return;
    }
    QString said = QStringLiteral("导出到%1成功!新增%2条。").arg(path).arg(merged.added.size());
    if (!merged.tooLong.isEmpty())
        said += QStringLiteral("\n\n以下网址超过%1个字符,搜索引擎不接受,没有写入:\n")
                    .arg(disavowMaxUrlLength) +
                listed(merged.tooLong);
    if (!merged.refused.isEmpty())
        said += QStringLiteral("\n\n已有文件中以下几行搜索引擎不会接受,已原样保留,请自行修改:\n") +
                listed(numbered(merged.refused));
    MessageBox::show(window_, said, QStringLiteral("提示"));
}

void DisavowActions::importFile()
{
    const QString site = siteOrSay();
    if (site.isEmpty())
        return;
    const QString path =
        FileDialog::openFileName(window_, QStringLiteral("导入拒绝文件"), folder_(), fileFilter);
    if (path.isEmpty())
        return;
    const DisavowIo read = readDisavowFile(path);
    if (!read.ok) {
        MessageBox::show(window_,
                         QStringLiteral("读取") + path + QStringLiteral("失败:") + read.reason,
                         warning);
        return;
    }
    const DisavowContents contents = readDisavowText(read.text);
    QString reason;
    if (!marks_->add(site, contents.entries, &reason)) {
        MessageBox::show(window_, QStringLiteral("未能记下拒绝的域名:") + reason, warning);
        return;
    }
    changed();
    QString said = QStringLiteral("从%1读入%2条。").arg(path).arg(contents.entries.size());
    if (!contents.refused.isEmpty())
        said += QStringLiteral("\n\n以下几行无法读取:\n") + listed(numbered(contents.refused));
    MessageBox::show(window_, said, QStringLiteral("提示"));
}
