// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExplorerPages.h"

#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A few hosts link a lot, a dozen now and then, and a long tail once each, as on the real service.
constexpr QStringView heavyHosts[] = {u"bbs.example",   u"blog.example", u"news.example",
                                      u"forum.test",    u"wiki.example", u"tieba.test",
                                      u"space.example", u"zhidao.test"};
constexpr QStringView tailWords[] = {u"xiao", u"lan", u"tian", u"shan",
                                     u"hai",  u"yun", u"feng", u"shu"};
constexpr QStringView paths[] = {u"/thread-%1-1-1.html",
                                 u"/archives/%1.html",
                                 u"/viewthread.php?tid=%1&amp;extra=page%3D1",
                                 u"/blog/%1/",
                                 u"/",
                                 u"/u/%1"};
constexpr QStringView titles[] = {
    u"%1 - 友情链接",         u"关于 %1 的讨论 - 论坛", u"网站导航",
    u"Links for webmasters",  u"推荐站点：%1",          u"Blogroll | friends of %1",
    u"站长工具与资源 - 首页", u"%1 的用户评价"};

constexpr QStringView pageHead = uR"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>{site} 的反向链接 - 站点浏览器</title>
<style>body{font:13px/1.5 sans-serif;margin:0 24px}h1{font-size:15px;margin:14px 0 2px}
.url{color:#080}.pg a{margin-right:10px}</style>
</head><body>
<div class="hd"><form action="/search" method="get"><input type="text" name="p" size="40"
 value="{site}"><input type="hidden" name="bwm" value="i"><input type="hidden" name="bwmf"
 value="s"><input type="hidden" name="bwmo" value="s"><input type="submit" value="浏览站点"></form>
</div>
<div class="info">链接到 {site} 的网页，共 <strong>{total}</strong> 条</div>
<ol class="res" start="{first}">
)";

quint64 mix(quint64 x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// FNV-1a rather than qHash: the totals must not change with the Qt version or a process seed.
quint64 siteSeed(QStringView site)
{
    quint64 h = 0xcbf29ce484222325ULL;
    for (const char c : site.toString().toLower().toUtf8())
        h = (h ^ quint8(c)) * 0x100000001b3ULL;
    return h;
}

// One independent draw per result and purpose.
quint64 draw(quint64 seed, int number, int purpose)
{
    return mix(seed ^ mix((quint64(number) << 8) | quint64(purpose)));
}

QString pickHost(quint64 seed, int number, bool* heavy)
{
    const quint64 d = draw(seed, number, 1);
    const int r = int(d % 100);
    const int weights[] = {22, 36, 46, 53}; // cumulative shares of the four busiest hosts
    for (int i = 0; i < 4; ++i) {
        if (r < weights[i]) {
            *heavy = true;
            return heavyHosts[(seed + i) % std::size(heavyHosts)].toString();
        }
    }
    *heavy = false;
    if (r < 65)
        return u"www.shop%1.example"_s.arg(1 + (d >> 8) % 12);
    return tailWords[(d >> 8) % std::size(tailWords)] % QString::number(100 + (d >> 16) % 9900) %
           u".test";
}

QString pickLink(quint64 seed, int number)
{
    bool heavy = false;
    const QString host = pickHost(seed, number, &heavy);
    const quint64 d = draw(seed, number, 4);
    const QString path = paths[d % std::size(paths)].toString().replace(
        u"%1"_s, QString::number(1000 + (d >> 8) % 90000));
    const QString away = tailWords[number % std::size(tailWords)] % u"-away.test" % path;

    // The odd shapes of link a real walk meets, each a few times per thousand results.
    const int shape = int(draw(seed, number, 3) % 100);
    if (shape < 4)
        return u"http://"_s % (heavy ? host.toUpper() : host) % path;
    if (shape < 6)
        return u"http://"_s % host; // nothing after the host, not even a slash
    if (shape < 7)
        return u"http://"_s % host % u"?from=" % QString::number(number);
    if (shape < 10)
        return u"https://"_s % host % path;
    if (shape < 13)
        return u"http://r.example/go?u=http://"_s % away;
    if (shape < 14)
        return u"http://jump.test?url=http://"_s % away; // a redirect without a slash
    if (shape < 15)
        return u"http://"_s % host % u":8080" % path;
    return u"http://"_s % host % path;
}

} // namespace

int explorerTotal(QStringView site)
{
    const QString name = site.toString().toLower();
    if (name == u"none.example")
        return 0;
    if (name == u"small.example")
        return 37;
    if (name == u"medium.example")
        return 420;
    if (name == u"big.example")
        return 12345;
    const quint64 h = mix(siteSeed(site));
    switch (h % 3) {
    case 0:
        return int(1 + (h >> 8) % 49);
    case 1:
        return int(100 + (h >> 8) % 800);
    default:
        return int(1001 + (h >> 8) % 99000);
    }
}

ExplorerResult explorerResult(QStringView site, int number)
{
    // Now and then the service lists the same page twice in a row.
    if (number > 1 && number % 23 == 0)
        return explorerResult(site, number - 1);

    const quint64 seed = siteSeed(site);
    const quint64 d = draw(seed, number, 5);
    const QString title =
        titles[d % std::size(titles)].toString().replace(u"%1"_s, site.toString());
    const QString snippet = u"……收录了指向 %1 的链接，更新于 2009-%2-%3 ……"_s.arg(site)
                                .arg(1 + (d >> 8) % 12, 2, 10, QChar(u'0'))
                                .arg(1 + (d >> 16) % 28, 2, 10, QChar(u'0'));
    return {pickLink(seed, number), title, snippet};
}

QByteArray explorerPage(QStringView site, int b, bool withResults, int round)
{
    const int total = explorerTotal(site);
    const int first = std::max(b, 1);
    const int last = first > total ? first - 1 : std::min(total, first + explorerPageSize - 1);
    const QString s = site.toString().toHtmlEscaped();
    const QString query = u"/search?p="_s %
                          QString::fromLatin1(QUrl::toPercentEncoding(site.toString())) %
                          u"&amp;bwm=i&amp;bwmf=s&amp;bwmo=s&amp;b=";

    // The site goes in last, so a site text that looks like a placeholder stays as it is.
    QString html = pageHead.toString()
                       .replace(u"{total}"_s, QString::number(total))
                       .replace(u"{first}"_s, QString::number(first))
                       .replace(u"{site}"_s, s);
    for (int k = first; withResults && k <= last; ++k) {
        const bool changed = round > 0 && draw(siteSeed(site) + quint64(round), k, 6) % 5 == 0;
        const ExplorerResult r =
            changed ? explorerResult(QString(site.toString() + u'~' + QString::number(round)), k)
                    : explorerResult(site, k);
        html += u"<li><h1>"_s % QString::number(k) % u". <a href=\"" % r.link % u"\">" %
                r.title.toHtmlEscaped() % u"</a></h1><p>" % r.snippet.toHtmlEscaped() %
                u"</p><div class=\"url\">" % r.link % u"</div></li>\n";
    }
    html += u"</ol>\n<div class=\"pg\">"_s;
    if (first > 1)
        html += u"<a href=\""_s % query % QString::number(std::max(1, first - explorerPageSize)) %
                u"\">上一页</a>";
    if (last < total)
        html += u"<a href=\""_s % query % QString::number(last + 1) % u"\">下一页</a>";
    html += u"</div>\n<div class=\"ft\">&copy; 2009 站点浏览器</div>\n</body></html>\n"_s;
    return html.toUtf8();
}
