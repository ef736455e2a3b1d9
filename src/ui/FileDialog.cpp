// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FileDialog.h"

#include <QFileDialog>

namespace {

FileDialog::Recorder* recorder = nullptr;

QString recorded(const QString& caption, const QString& offered)
{
    recorder->asked.append(caption + u'|' + offered);
    return recorder->answers.isEmpty() ? QString() : recorder->answers.takeFirst();
}

} // namespace

QString FileDialog::saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                 const QString& filter)
{
    if (recorder)
        return recorded(caption, suggested);
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

QString FileDialog::openFileName(QWidget* parent, const QString& caption, const QString& start,
                                 const QString& filter)
{
    if (recorder)
        return recorded(caption, start);
    return QFileDialog::getOpenFileName(parent, caption, start, filter);
}

void FileDialog::setRecorder(Recorder* newRecorder)
{
    recorder = newRecorder;
}
