// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>

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

    // A question with Yes and No; true for Yes. While a recorder is installed it is recorded too,
    // and answered with the answer set last (Yes at first).
    static bool ask(QWidget* parent, const QString& text, const QString& title);
    static void setAnswer(bool yes);

    // While a recorder is installed (not null), boxes are appended to it and not shown.
    static void setRecorder(QList<Shown>* recorder);
};
