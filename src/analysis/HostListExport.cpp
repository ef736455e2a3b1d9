// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HostListExport.h"

#include "platform/Iconv.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
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

    QSaveFile file(result.path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.reason = file.errorString();
        return result;
    }
    // GB18030 writes every character code page 936 holds with the bytes it always had, so readers
    // of the old files see no change, and holds the hosts in every other script as well, which
    // code page 936 would have written as "?".
    const QByteArray bytes = Iconv("GB18030", Iconv::utf16Name())
                                 .encode(QString(domainStr + QStringLiteral("\r\n")), '?');
    // On a full disk the first write stops short without an error; writing on brings the error
    // out, so that the reason given is the real one.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0)
            break;
        written += more;
    }
    // A list smaller than the file's buffer reaches the disk only when the buffer is flushed, and
    // commit() would not report a failure there but put the truncated file in place. Like a write,
    // a flush stops short without an error at first; flushing again brings the error out.
    if (written != bytes.size() || !(file.flush() || file.flush()) || !file.commit()) {
        result.reason = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}
