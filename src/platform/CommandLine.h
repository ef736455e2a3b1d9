// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Endpoints.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the program was asked to do on its command line:
//   ostrel [--explorer HOST[:PORT]] [--publisher HOST[:PORT]] [--database PATH] [FILE...]
struct CommandLine {
    Endpoints endpoints; // the build's hosts, or the ones given
    QStringList files;   // link exports to import as one import, as given
    QString database;    // the history file given, else empty
    // Set when the program is to print `output` and end with this code without opening a
    // window: the help or the version (0, on standard output), or what is wrong (on standard
    // error).
    std::optional<int> exitCode;
    QString output;
};

// Reads `arguments` (the first is the program) against the hosts the program was built with.
// Needs an application object only for the help text.
CommandLine parseCommandLine(const QStringList& arguments, const Endpoints& built);

// Whether `text` names a host with an optional port and nothing else: no scheme, user, path.
bool isHostAndPort(const QString& text);
