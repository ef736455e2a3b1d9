// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StandinServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"ostrel-standin"_s);
    QTextStream err(stderr);

    StandinOptions options;
    if (const QString problem = parseStandinOptions(QCoreApplication::arguments(), options);
        !problem.isEmpty()) {
        err << problem << u"\nTry --help.\n"_s;
        return 2;
    }
    if (!QDir().mkpath(options.dataFolder)) {
        err << u"Cannot create the folder "_s << options.dataFolder << u'\n';
        return 2;
    }

    StandinServer server(options);
    QTextStream out(stdout);
    QObject::connect(&server, &StandinServer::logLine, &server,
                     [&out](const QString& line) { out << line << Qt::endl; });
    const quint16 port = server.listen(options.port);
    if (port == 0) {
        err << u"Cannot listen on 127.0.0.1:"_s << options.port << u'\n';
        return 1;
    }
    out << u"ostrel-standin listening on http://127.0.0.1:"_s << port << u", suggestions go to "_s
        << QDir(options.dataFolder).absoluteFilePath(u"suggestions.jsonl"_s) << Qt::endl;
    return app.exec();
}
