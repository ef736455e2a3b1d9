// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Every message the program shows goes through here: a modal box with an OK button only and no
// icon. Tests install a recorder first; the boxes are then recorded instead of shown, so a handler
// runs on past its box without a modal loop.
class MessageBox {
public:
    struct Shown {
        QString text;
        QString title;
    };

    // Returns once the user has closed the box.
    static void show(QWidget* parent, const QString& text, const QString& title);

    // A question with a button for each of `choices` (the first is the default) and one to
    // cancel; returns the index of the choice taken, or -1 for a cancel (also Escape or closing
    // the box). While a recorder is installed, the question is recorded and answered by the next
    // of setNextAnswers(), or with a cancel when none is left.
    static int ask(QWidget* parent, const QString& text, const QString& title,
                   const QStringList& choices);
    static void setNextAnswers(const QList<int>& answers);

    // While a recorder is installed (not null), boxes are appended to it and not shown.
    static void setRecorder(QList<Shown>* recorder);
};
