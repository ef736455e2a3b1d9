// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Form1's import of link exports: files dropped on the window or named on the command line.

#include "Form1.h"
#include "analysis/ImportWarning.h"
#include "platform/Twips.h"
#include "ui/CaptionLabel.h"
#include "ui/FlexGrid.h"
#include "ui/MessageBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLineEdit>
#include <QMimeData>
#include <QPromise>
#include <QPushButton>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

// The local files of a drop in the order dragged. Folders and remote addresses are left out:
// a drop of only those offers nothing to import.
QStringList droppedFiles(const QMimeData* mime)
{
    QStringList files;
    if (!mime)
        return files;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && !QFileInfo(path).isDir())
            files.append(path);
    }
    return files;
}

} // namespace

bool Form1::acceptsImport() const
{
    return !importing_ && !run.running();
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptsImport() && !droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    const QStringList files = droppedFiles(event->mimeData());
    if (!acceptsImport() || files.isEmpty())
        return;
    event->acceptProposedAction();
    importFiles(files);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // A drag of files over the site box is left to the window, which imports them; a drag of
    // text is still the box's own.
    const QEvent::Type type = event->type();
    if (watched == Text1 &&
        (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)) {
        if (!droppedFiles(static_cast<QDropEvent*>(event)->mimeData()).isEmpty()) {
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::importFiles(const QStringList& paths)
{
    if (paths.isEmpty() || !acceptsImport())
        return;
    importing_ = true;
    statusBeforeImport_ = Label1->caption();
    // No run may start while the files are read: the import would end over it.
    command1WasEnabled_ = Command1->isEnabled();
    Command1->setEnabled(false);
    Command2->setText(QStringLiteral("暂停"));
    Command2->setEnabled(true);
    showImportProgress(0);

    auto* reading = new QFutureWatcher<ImportResult>(this);
    reading_ = reading;
    // QFuture passes on progress at most 25 times a second, so the line is not laid out anew
    // for every few kilobytes read.
    connect(reading, &QFutureWatcherBase::progressValueChanged, this, &Form1::showImportProgress);
    connect(reading, &QFutureWatcherBase::finished, this, [this, reading, paths] {
        reading->deleteLater();
        if (reading_ != reading)
            return; // cancelled, and already ended
        importEnded(paths, reading->future().takeResult());
    });
    reading->setFuture(QtConcurrent::run([read = importReader,
                                          paths](QPromise<ImportResult>& promise) {
        promise.setProgressRange(0, 100);
        promise.addResult(read(
            paths,
            [&promise](qint64 done, qint64 total) {
                if (total > 0)
                    promise.setProgressValue(int(std::clamp<qint64>(done * 100 / total, 0, 100)));
            },
            [&promise] { return promise.isCanceled(); }));
    }));
}

void Form1::showImportProgress(int percent)
{
    if (importing_)
        Label1->setCaption(QStringLiteral("导入中,进度:") + QString::number(percent) + u'%');
}

void Form1::cancelImport()
{
    if (!importing_)
        return;
    // The reader sees the cancel at its next piece; what it read is dropped unseen.
    reading_->cancel();
    reading_ = nullptr;
    importing_ = false;
    Label1->setCaption(QStringLiteral("已取消导入"));
    Command1->setEnabled(command1WasEnabled_);
    Command2->setEnabled(false);
}

void Form1::importEnded(const QStringList& paths, ImportResult result)
{
    importing_ = false;
    reading_ = nullptr;
    Command2->setEnabled(false);
    if (!result.problems.isEmpty())
        MessageBox::show(this, importWarning(result.problems), QStringLiteral("Warning"));
    if (result.tally.hostCount() == 0) {
        // Nothing was read: what the grid showed is kept rather than traded for an empty list.
        Label1->setCaption(statusBeforeImport_);
        Command1->setEnabled(command1WasEnabled_);
        return;
    }

    // The export is named after the first file that gave links; one that failed gave nothing
    // to the list.
    QSet<QString> failed;
    for (const ImportProblem& problem : result.problems)
        failed.insert(problem.file);
    importedFiles_.clear();
    importedName_.reset();
    for (const QString& path : paths) {
        if (failed.contains(path))
            continue;
        if (!importedName_)
            importedName_ = QFileInfo(path).completeBaseName();
        importedFiles_.append(QFileInfo(path).fileName());
    }
    // A run numbers at most 1000 hosts, which the number column was made for; an import may
    // number tens of thousands, whose first digits the column would cut off.
    const QString widest = QString::number(result.tally.hostCount());
    const int numberWidth = pixelsToTwips(tb1->fontMetrics().horizontalAdvance(widest) + 8);
    tb1->setColWidth(0, std::max(tb1->ColWidth(0), numberWidth));
    currentDomain.clear();
    tb1->Clear();
    tb1->setRows(1);
    takeStep(run.adopt(std::move(result.tally), result.anchors, result.targets, result.rels));
    offerNofollow();
}
