// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace {
QList<MessageBox::Shown>* recorder = nullptr;
QList<int> nextAnswers;
} // namespace

void MessageBox::show(QWidget* parent, const QString& text, const QString& title)
{
    if (recorder) {
        recorder->append({text, title});
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int MessageBox::ask(QWidget* parent, const QString& text, const QString& title,
                    const QStringList& choices)
{
    if (recorder) {
        recorder->append({text, title});
        return nextAnswers.isEmpty() ? -1 : nextAnswers.takeFirst();
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
        buttons.append(box.addButton(choice, QMessageBox::AcceptRole));
    box.setEscapeButton(box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole));
    if (!buttons.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

void MessageBox::setNextAnswers(const QList<int>& answers)
{
    nextAnswers = answers;
}

void MessageBox::setRecorder(QList<Shown>* newRecorder)
{
    recorder = newRecorder;
    if (!recorder)
        nextAnswers.clear();
}
