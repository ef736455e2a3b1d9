// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Form3.h"

#include "platform/Twips.h"
#include "ui/CaptionLabel.h"
#include "ui/WindowPlacement.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextDocument>

Form3::Form3()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    // A fixed single border: a title and a close button, no minimise or maximise button, and a
    // size the user cannot change.
    setWindowTitle(QStringLiteral("建议意见"));
    setFixedSize(twipsToPixels(4680), twipsToPixels(3195));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves the focus on to the button rather than typing a tab; Enter starts a new line,
    // since the window has no default button.
    Text1->setTabChangesFocus(true);
    setTwipsGeometry(Text1, 240, 600, 4215, 1815);

    Label1 = new CaptionLabel(QStringLiteral("提交您的意见或建议(比如您需要的功能):"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    setTwipsGeometry(Label1, 240, 240, 3735, 180);
    Label1->fitHeightToFont();

    Command1 = new QPushButton(QStringLiteral("提交"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(false);
    Command1->setAutoDefault(true); // Enter on the focused button clicks it, as Space does
    setTwipsGeometry(Command1, 1560, 2640, 1335, 375);
    connect(Command1, &QPushButton::clicked, this, &Form3::onCommand1Clicked);

    setTabOrder(Text1, Command1);
    // Escape closes it, as it closes any secondary window; what was typed is dropped with it.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
}

void Form3::display()
{
    if (isVisible()) {
        raise(); // it may lie behind the main window
    } else {
        formLoad();
        show();
    }
    activateWindow();
}

void Form3::formLoad()
{
    Text1->clear();
    Text1->setFocus();
    winId(); // the frame has to exist for the window's outer size
    centreOnScreen(this);
}

void Form3::onCommand1Clicked()
{
    // Every line break goes out as CR LF, whichever kind of break the editor stored.
    QString text = Text1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    Q_EMIT submitted(text);
    close();
}
