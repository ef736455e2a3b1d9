// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CommandLine.h"

#include "Version.h"

#include <QCommandLineParser>
#include <QUrl>

using namespace Qt::StringLiterals;

bool isHostAndPort(const QString& text)
{
    // Read as the authority of an address, it must come back whole: anything QUrl would take
    // as a scheme, a path, a query or an empty port makes it come back different.
    const QUrl url(u"http://"_s + text, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() && url.userInfo().isEmpty() && url.port() != 0 &&
           url.authority().compare(text, Qt::CaseInsensitive) == 0;
}

CommandLine parseCommandLine(const QStringList& arguments, const Endpoints& built)
{
    CommandLine line{built, {}, {}, {}, {}};
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Tallies the pages that link to a site by the host they are on, from the site "
        "explorer's results or from link exports of other tools."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help and end."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Show the version and end."_s);
    const QCommandLineOption explorer(
        u"explorer"_s, u"The site explorer's host (default %1)."_s.arg(built.explorerHost),
        u"HOST[:PORT]"_s);
    const QCommandLineOption publisher(
        u"publisher"_s, u"The publisher's host (default %1)."_s.arg(built.publisherHost),
        u"HOST[:PORT]"_s);
    const QCommandLineOption database(
        u"database"_s, u"The history file (default history.sqlite in the data folder)."_s,
        u"PATH"_s);
    parser.addOptions({help, version, explorer, publisher, database});
    parser.addPositionalArgument(
        u"FILE"_s, u"Link exports (CSV, TSV or lists of addresses) to import."_s, u"[FILE...]"_s);

    auto fail = [&line](const QString& why) {
        line.exitCode = 1;
        line.output = u"ostrel: "_s + why + u"\nTry 'ostrel --help' for more information.\n"_s;
        return line;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        line.exitCode = 0;
        line.output = parser.helpText();
        return line;
    }
    if (parser.isSet(version)) {
        line.exitCode = 0;
        line.output = u"Ostrel %1\nLicense GPL-3.0-or-later: GNU GPL version 3 or later "
                      "<https://www.gnu.org/licenses/gpl.html>.\nThis is free software: you are "
                      "free to change and redistribute it. There is NO WARRANTY, to the extent "
                      "permitted by law.\n"_s.arg(ostrelVersion);
        return line;
    }
    for (const auto& [option, host] : {std::pair{&explorer, &line.endpoints.explorerHost},
                                       std::pair{&publisher, &line.endpoints.publisherHost}}) {
        if (!parser.isSet(*option))
            continue;
        // Given twice, the last one counts, as with most programs.
        const QString value = parser.values(*option).constLast();
        if (!isHostAndPort(value))
            return fail(u"--%1 takes HOST or HOST:PORT, not \"%2\""_s.arg(
                option->names().constFirst(), value));
        *host = value;
    }
    if (parser.isSet(database))
        line.database = parser.values(database).constLast();
    line.files = parser.positionalArguments();
    return line;
}
