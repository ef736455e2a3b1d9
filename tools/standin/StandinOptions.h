// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// How the stand-in services behave; everything has a default so that a bare start serves a
// normal analysis on the port the program looks for.
struct StandinOptions {
    quint16 port = 8700;
    QString dataFolder = QStringLiteral("."); // where suggestions.jsonl goes
    int newsVersion = 200912290;              // equal to the program's own: not disabled
    int delayMs = 0;                          // before every reply, to watch a walk
    QSet<int> failingPages;                   // values of b answered with failStatus
    int failStatus = 500;
    QSet<int> emptyPages;  // values of b answered without results
    bool changing = false; // every walk after the first finds other links
};

// Reads the stand-in's command line (arguments[0] is the program). Returns what is wrong with it,
// or an empty text. "--help" prints the usage and ends the process.
QString parseStandinOptions(const QStringList& arguments, StandinOptions& options);
