// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class CaptionLabel;
class QPlainTextEdit;
class QPushButton;

// The suggestion window: one text box and a submit button. It keeps nothing: it hands the text
// on and closes, and whoever sends it takes the reply after this window has gone.
class Form3 : public QWidget {
    Q_OBJECT
public:
    Form3();

    // Shows the window. A window that is not open is loaded first (emptied and centred); an open
    // one comes to the front as it is, with the text typed so far.
    void display();

Q_SIGNALS:
    // The user submitted `text`, its line breaks as CR LF.
    void submitted(const QString& text);

private:
    void formLoad();
    void onCommand1Clicked();

    QPlainTextEdit* Text1;
    CaptionLabel* Label1;
    QPushButton* Command1;
};
