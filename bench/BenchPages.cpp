// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BenchPages.h"

#include <QString>

QByteArray benchResultPage(int b, int hosts)
{
    QString html =
        QStringLiteral(
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Site Explorer - "
            "example.com</title>\n<link rel=\"stylesheet\" href=\"/s/explorer.css\"></head>\n<body>"
            "<div id=\"hd\"><form action=\"/search\"><input name=\"p\" value=\"example.com\">"
            "</form></div>\n<div id=\"info\">外链 共 <strong>%1</strong> 条</div>\n<div>\n")
            .arg(benchSiteTotal);
    for (int n = b; n < b + 50; ++n) {
        const QString host = QStringLiteral("www.site%1.example.net").arg(n % hosts);
        html += QStringLiteral("<h1>%1. <a href=\"http://%2/archives/%3/article-%4.html\">"
                               "博客文章 %4 - 网站优化</a></h1>\n"
                               "<p>讨论外链的价值 and links.</p>\n"
                               "<em>%2/archives/%3/article-%4.html - 12k</em>\n")
                    .arg(n)
                    .arg(host)
                    .arg(2009 - n % 3)
                    .arg(1000 + n);
    }
    html += QStringLiteral("</div>\n<div id=\"pg\">");
    for (int page = 1; page <= 951; page += 50)
        html += QStringLiteral("<a href=\"/search?p=example.com&amp;b=%1\">%1</a> ").arg(page);
    html +=
        QStringLiteral("</div>\n<div id=\"ft\">&copy; 2009 Site Explorer</div></body></html>\n");
    return html.toUtf8();
}

QHash<int, QByteArray> benchRunPages(int hosts)
{
    QHash<int, QByteArray> pages;
    for (int b = 1; b <= 951; b += 50)
        pages.insert(b, benchResultPage(b, hosts));
    return pages;
}
