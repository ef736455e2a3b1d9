// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "history/HistoryStore.h"
#include "platform/CommandLine.h"
#include "ui/main/Form1.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    // The application comes first: it takes Qt's own options (-platform, -style, ...) out of the
    // arguments, and the help text needs it.
    QApplication app(argc, argv);
    // The user's settings go to the desktop's place for them, ~/.config/Ostrel/Ostrel.conf.
    QApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    // Ties the windows to the installed desktop entry, so a Wayland shell shows its name and icon.
    QApplication::setDesktopFileName(QStringLiteral("io.github.ostrel.Ostrel"));

    const CommandLine line =
        parseCommandLine(QApplication::arguments(), {QStringLiteral(OSTREL_EXPLORER_HOST),
                                                     QStringLiteral(OSTREL_PUBLISHER_HOST)});
    if (line.exitCode) {
        std::fputs(line.output.toLocal8Bit().constData(), *line.exitCode == 0 ? stdout : stderr);
        return *line.exitCode;
    }

    Form1 form1(line.endpoints);
    form1.useHistory(line.database.isEmpty() ? defaultHistoryPath() : line.database);
    form1.show();
    // Files named on the command line, or opened with the program from a file manager, are
    // imported once the window is up, so their warnings and progress have a window to show in.
    if (!line.files.isEmpty())
        QTimer::singleShot(0, &form1, [&form1, &line] { form1.importFiles(line.files); });
    return app.exec();
}
