// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HostListExport.h"

#include "platform/Iconv.h"
#include "platform/SafeSave.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString hostListFileName(const QString& site)
{
    return site + QStringLiteral("外链域名.txt");
}

QString hostListFolder(const QString& programFolder)
{
    const QFileInfo info(programFolder);
    if (info.isDir() && info.isWritable())
        return programFolder;
    // Installed where only the administrator may write: the user's documents are the place the
    // user will look for a file they asked for.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QDir().mkpath(documents);
    return documents;
}

HostListExport exportHostList(const QString& folder, const QString& site, const QString& domainStr)
{
    HostListExport result;
    result.path = folder + u'/' + hostListFileName(site);
    // The site text becomes part of the file name; a slash would put the file in another folder
    // and a NUL would cut the name short.
    if (site.contains(u'/')) {
        result.reason = QStringLiteral("站点名含有\"/\",不能用作文件名");
        return result;
    }
    if (site.contains(QChar(u'\0'))) {
        result.reason = QStringLiteral("站点名含有空字符,不能用作文件名");
        return result;
    }

    // GB18030 writes every character code page 936 holds with the bytes it always had, so readers
    // of the old files see no change, and holds the hosts in every other script as well, which
    // code page 936 would have written as "?".
    const QByteArray bytes = Iconv("GB18030", Iconv::utf16Name())
                                 .encode(QString(domainStr + QStringLiteral("\r\n")), '?');
    result.reason = saveFile(result.path, bytes);
    result.ok = result.reason.isEmpty();
    return result;
}
