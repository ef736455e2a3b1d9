// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MessageBox.h"

#include <QMessageBox>

namespace {
QList<MessageBox::Shown>* recorder = nullptr;
bool answer = true;
} // namespace

bool MessageBox::ask(QWidget* parent, const QString& text, const QString& title)
{
    if (recorder) {
        recorder->append({text, title});
        return answer;
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

void MessageBox::setAnswer(bool yes)
{
    answer = yes;
}

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

void MessageBox::setRecorder(QList<Shown>* newRecorder)
{
    recorder = newRecorder;
}
