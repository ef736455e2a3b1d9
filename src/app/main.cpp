// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/Form1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The user's settings go to the desktop's place for them, ~/.config/Ostrel/Ostrel.conf.
    QApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    // Ties the windows to the installed desktop entry, so a Wayland shell shows its name and icon.
    QApplication::setDesktopFileName(QStringLiteral("io.github.ostrel.Ostrel"));

    Form1 form1({QStringLiteral(OSTREL_EXPLORER_HOST), QStringLiteral(OSTREL_PUBLISHER_HOST)});
    form1.show();
    return app.exec();
}
