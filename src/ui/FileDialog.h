// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every file name the program asks the user for goes through here. Tests install a recorder
// first: the dialogs are then recorded (their caption and the name offered) instead of shown, and
// answered with the recorder's next name, or cancelled when none is left.
class FileDialog {
public:
    struct Recorder {
        QStringList answers; // taken from the front; an empty one cancels
        QStringList asked;   // "caption|name offered" of each dialog
    };

    // The name of a file to write, `suggested` offered; empty when the user cancelled.
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                const QString& filter);
    // The name of an existing file to read, starting at `start`; empty when the user cancelled.
    static QString openFileName(QWidget* parent, const QString& caption, const QString& start,
                                const QString& filter);

    static void setRecorder(Recorder* recorder);
};
