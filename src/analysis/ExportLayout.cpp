// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExportLayout.h"

#include "LinkImport.h"

#include <QSet>

#include <algorithm>
#include <initializer_list>
#include <optional>

namespace {

using Names = std::initializer_list<QStringView>;

// Column names of the common tools' exports, folded to lower case with '_' and '.' as spaces.
const Names sourceNames{u"linking page",
                        u"links",
                        u"source url",
                        u"source",
                        u"source page",
                        u"source page url",
                        u"referring page url",
                        u"referring page",
                        u"referring url",
                        u"url from",
                        u"from url",
                        u"from",
                        u"backlink url",
                        u"backlink",
                        u"linking url",
                        u"来源网址",
                        u"来源页面",
                        u"外链网址",
                        u"外链页面"};
const Names domainNames{u"site",
                        u"domain",
                        u"domains",
                        u"referring domain",
                        u"referring domains",
                        u"linking domain",
                        u"linking site",
                        u"source domain",
                        u"root domain",
                        u"domain from",
                        u"from domain",
                        u"refdomain",
                        u"网站",
                        u"域名",
                        u"来源域名"};
const Names targetNames{u"target url", u"target",          u"target page", u"target page url",
                        u"url to",     u"to url",          u"to",          u"linked page",
                        u"linked url", u"destination url", u"destination", u"landing page",
                        u"目标网址",   u"目标网页",        u"目标页面"};
const Names anchorNames{u"anchor", u"anchor text", u"link text", u"link anchor", u"锚文本"};
const Names countNames{u"links",         u"backlinks",    u"linking pages",   u"links to target",
                       u"refpages",      u"ref pages",    u"referring pages", u"external backlinks",
                       u"ext backlinks", u"extbacklinks", u"链接数",          u"外链数",
                       u"反向链接"};
const Names relNames{u"rel", u"link rel", u"rel attribute", u"link type", u"follow type"};
const Names nofollowNames{u"nofollow", u"no follow", u"is nofollow", u"flagnofollow",
                          u"flag nofollow"};
const Names followNames{u"dofollow", u"do follow", u"follow", u"is dofollow", u"followed"};

QString folded(const QString& header)
{
    QString name = header;
    name.replace(u'_', u' ').replace(u'.', u' ');
    return name.simplified().toLower();
}

bool isWeb(QStringView cell)
{
    return (cell.startsWith(u"http://", Qt::CaseInsensitive) ||
            cell.startsWith(u"https://", Qt::CaseInsensitive)) &&
           !importedLinkHost(cell).isEmpty();
}

// A whole number of links, written with or without grouping of thousands.
std::optional<qint64> count(QStringView cell)
{
    if (cell.isEmpty() || cell.size() > 20 || !cell.front().isDigit())
        return std::nullopt;
    qint64 value = 0;
    qsizetype group = 0; // digits since the last separator; -1 before the first separator
    bool grouped = false;
    for (QChar c : cell) {
        if (c >= u'0' && c <= u'9') {
            value = value * 10 + (c.unicode() - u'0');
            ++group;
            if (value > 1'000'000'000'000)
                return std::nullopt;
            continue;
        }
        const bool separator = c == u',' || c == u'.' || c == u' ' || c == u'\'' ||
                               c == QChar(0xA0) || c == QChar(0x202F);
        if (!separator || (grouped ? group != 3 : group > 3))
            return std::nullopt;
        grouped = true;
        group = 0;
    }
    if (grouped && group != 3)
        return std::nullopt;
    return value;
}

bool isTrue(QStringView cell)
{
    for (QStringView yes : {u"true", u"yes", u"y", u"1", u"是"})
        if (cell.compare(yes, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isFalse(QStringView cell)
{
    for (QStringView no : {u"false", u"no", u"n", u"0", u"否"})
        if (cell.compare(no, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

QString bareDomain(QStringView cell)
{
    QStringView name = cell;
    if (const qsizetype at = name.lastIndexOf(u'@'); at >= 0)
        name = name.sliced(at + 1);
    if (name.endsWith(u'/'))
        name.chop(1);
    if (const qsizetype colon = name.lastIndexOf(u':'); colon >= 0) {
        const QStringView port = name.sliced(colon + 1);
        if (port.isEmpty() || port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return {};
        name = name.first(colon);
    }
    if (name.endsWith(u'.'))
        name.chop(1);
    if (name.isEmpty() || name.size() > 253)
        return {};
    qsizetype labels = 0;
    bool letters = false; // in the last label: a top-level name is never all digits
    for (QStringView label : name.tokenize(u'.')) {
        if (label.isEmpty() || label.size() > 63 || label.front() == u'-' || label.back() == u'-')
            return {};
        letters = false;
        for (QChar c : label) {
            if (!c.isLetterOrNumber() && c != u'-' && c != u'_')
                return {};
            letters = letters || !c.isDigit();
        }
        ++labels;
    }
    return labels >= 2 && letters ? name.toString().toLower() : QString();
}

qint64 domainLinkCount(QStringView cell)
{
    return std::max<qint64>(count(cell.trimmed()).value_or(1), 1);
}

bool isNofollow(ExportLayout::Rel means, QStringView cell)
{
    cell = cell.trimmed();
    QString words = cell.toString().toLower();
    words.remove(u' ').remove(u'-').remove(u'_');
    if (words.contains(u"nofollow"))
        return true;
    switch (means) {
    case ExportLayout::Rel::Words:
        return false;
    case ExportLayout::Rel::Nofollow:
        return isTrue(cell);
    case ExportLayout::Rel::Follow:
        return isFalse(cell);
    }
    return false;
}

ExportLayout recognizeLayout(const QList<QStringList>& sample)
{
    ExportLayout layout;
    qsizetype columns = 0;
    for (const QStringList& row : sample)
        columns = std::max(columns, row.size());
    // A first row with neither an address nor a domain is a header, whatever it names.
    layout.header = !sample.isEmpty() &&
                    std::none_of(sample[0].cbegin(), sample[0].cend(), [](const QString& cell) {
                        const QStringView c = QStringView(cell).trimmed();
                        return isWeb(c) || !bareDomain(c).isEmpty();
                    });
    QList<qsizetype> web(columns), domains(columns), numbers(columns), filled(columns);
    for (qsizetype r = layout.header ? 1 : 0; r < sample.size(); ++r) {
        for (qsizetype c = 0; c < sample[r].size(); ++c) {
            const QStringView cell = QStringView(sample[r][c]).trimmed();
            filled[c] += !cell.isEmpty();
            web[c] += isWeb(cell);
            domains[c] += !bareDomain(cell).isEmpty();
            numbers[c] += count(cell).has_value();
        }
    }
    QStringList names;
    if (layout.header)
        for (const QString& name : sample[0])
            names.append(folded(name));
    auto named = [&](const Names& known, qsizetype c) {
        return c < names.size() && std::find(known.begin(), known.end(), names[c]) != known.end();
    };
    auto most = [&](const QList<qsizetype>& of, qsizetype c) {
        return of[c] > 0 && 2 * of[c] > filled[c];
    };
    auto first = [&](auto&& wanted) {
        for (qsizetype c = 0; c < columns; ++c)
            if (wanted(c))
                return c;
        return qsizetype(-1);
    };

    layout.link = first([&](qsizetype c) { return named(sourceNames, c) && web[c] > 0; });
    if (layout.link < 0)
        layout.link = first([&](qsizetype c) { return !named(targetNames, c) && most(web, c); });
    if (layout.link < 0) {
        layout.link = first([&](qsizetype c) { return named(domainNames, c) && most(domains, c); });
        if (layout.link < 0)
            layout.link = first([&](qsizetype c) { return most(domains, c); });
        if (layout.link >= 0)
            layout.kind = ExportLayout::Kind::Domains;
    }
    if (layout.link < 0 && columns > 0) {
        layout.link = std::max_element(web.cbegin(), web.cend()) - web.cbegin();
        if (web[layout.link] > 0 && named(targetNames, layout.link))
            layout.kind = ExportLayout::Kind::Targets;
    }

    if (layout.kind == ExportLayout::Kind::Domains) {
        layout.count = first([&](qsizetype c) {
            return c != layout.link && named(countNames, c) && numbers[c] > 0;
        });
        return layout;
    }
    layout.target = first([&](qsizetype c) { return c != layout.link && named(targetNames, c); });
    layout.anchor = first([&](qsizetype c) { return named(anchorNames, c); });
    for (auto [known, means] : {std::pair{&relNames, ExportLayout::Rel::Words},
                                std::pair{&nofollowNames, ExportLayout::Rel::Nofollow},
                                std::pair{&followNames, ExportLayout::Rel::Follow}}) {
        if (layout.rel < 0) {
            layout.rel = first([&, known = known](qsizetype c) { return named(*known, c); });
            layout.relMeans = means;
        }
    }

    // A search console's top target pages in another language: its only addresses are of one
    // site, beside nothing but counts. A list of linking pages always says something else.
    if (layout.kind == ExportLayout::Kind::Pages && layout.header && layout.link >= 0 &&
        !named(sourceNames, layout.link) && columns >= 3 && web[layout.link] >= 2) {
        QSet<QString> hosts;
        for (qsizetype r = 1; r < sample.size(); ++r)
            if (const QStringView cell = QStringView(sample[r].value(layout.link)).trimmed();
                isWeb(cell))
                hosts.insert(importedLinkHost(cell));
        bool counts = true;
        for (qsizetype c = 0; c < columns; ++c)
            counts = counts && (c == layout.link || (filled[c] > 0 && numbers[c] == filled[c]));
        if (hosts.size() == 1 && counts)
            layout.kind = ExportLayout::Kind::Targets;
    }
    return layout;
}
