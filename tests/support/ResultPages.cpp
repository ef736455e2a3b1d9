// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ResultPages.h"

QString resultEntry(const QString& number, const QString& link)
{
    return u"<h1>"_qs + number + u". <a href=\""_qs + link + u"\">标题</a></h1>\n<p>摘要 "_qs +
           link + u"</p>\n"_qs;
}

QByteArray resultPage(const QString& total, const QStringList& links, int first)
{
    QString html = u"<html><body><div id=\"info\">"_qs;
    if (!total.isNull())
        html += u"外链 共 <strong>"_qs + total + u"</strong> 条"_qs;
    html += u"</div>\n"_qs;
    for (int i = 0; i < links.size(); ++i)
        html += resultEntry(QString::number(first + i), links[i]);
    return (html + u"</body></html>\n"_qs).toUtf8();
}
