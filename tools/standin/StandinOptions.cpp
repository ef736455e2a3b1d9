// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StandinOptions.h"

#include <QCommandLineParser>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

bool toNumber(const QString& text, int min, int max, int& out)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min || value > max)
        return false;
    out = value;
    return true;
}

bool toPageList(const QString& text, QSet<int>& out)
{
    for (const QString& item : text.split(u',', Qt::SkipEmptyParts)) {
        int b = 0;
        if (!toNumber(item.trimmed(), 1, std::numeric_limits<int>::max(), b))
            return false;
        out.insert(b);
    }
    return true;
}

} // namespace

QString parseStandinOptions(const QStringList& arguments, StandinOptions& options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Local stand-ins for the site explorer and the publisher's server, on 127.0.0.1."_s);
    parser.addHelpOption();
    const QCommandLineOption port(u"port"_s, u"Port to listen on (default 8700, 0: any free)."_s,
                                  u"N"_s);
    const QCommandLineOption data(u"data"_s, u"Folder for suggestions.jsonl (default: here)."_s,
                                  u"DIR"_s);
    const QCommandLineOption news(u"news-version"_s,
                                  u"Version the bulletin announces (default 200912290)."_s, u"V"_s);
    const QCommandLineOption delay(u"delay"_s, u"Milliseconds to wait before every reply."_s,
                                   u"MS"_s);
    const QCommandLineOption fail(u"fail-pages"_s, u"Result pages (values of b) that fail."_s,
                                  u"B,B..."_s);
    const QCommandLineOption status(
        u"fail-status"_s, u"HTTP status of the failing pages (default 500)."_s, u"CODE"_s);
    const QCommandLineOption empty(
        u"empty-pages"_s, u"Result pages (values of b) that come without results."_s, u"B,B..."_s);
    const QCommandLineOption changing(
        u"changing"_s, u"Every walk of a site after the first finds partly other links."_s);
    parser.addOptions({port, data, news, delay, fail, status, empty, changing});
    if (!parser.parse(arguments))
        return parser.errorText();
    if (parser.isSet(u"help"_s))
        parser.showHelp();
    if (!parser.positionalArguments().isEmpty())
        return u"Unexpected argument: "_s + parser.positionalArguments().constFirst();

    int number = 0;
    if (parser.isSet(port)) {
        if (!toNumber(parser.value(port), 0, 65535, number))
            return u"--port takes a number from 0 to 65535"_s;
        options.port = quint16(number);
    }
    options.changing = parser.isSet(changing);
    if (parser.isSet(data))
        options.dataFolder = parser.value(data);
    if (parser.isSet(news) &&
        !toNumber(parser.value(news), 0, std::numeric_limits<int>::max(), options.newsVersion))
        return u"--news-version takes a whole number"_s;
    if (parser.isSet(delay) && !toNumber(parser.value(delay), 0, 600000, options.delayMs))
        return u"--delay takes milliseconds from 0 to 600000"_s;
    if (!toPageList(parser.value(fail), options.failingPages) ||
        !toPageList(parser.value(empty), options.emptyPages))
        return u"--fail-pages and --empty-pages take page numbers such as 51,101"_s;
    if (parser.isSet(status) && !toNumber(parser.value(status), 400, 599, options.failStatus))
        return u"--fail-status takes a status from 400 to 599"_s;
    return {};
}
