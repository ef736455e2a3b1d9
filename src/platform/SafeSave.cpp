// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SafeSave.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return qt_error_string(error);
}

// Writes all of `bytes` to `fd`; the error of the write that failed, or 0.
int writeAll(int fd, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t more = ::write(fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (more < 0 && errno == EINTR)
            continue;
        if (more <= 0)
            return more < 0 ? errno : ENOSPC;
        done += more;
    }
    return 0;
}

} // namespace

QString symlinkRefusal(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISLNK(info.st_mode))
        return {};
    return QStringLiteral("该位置是一个符号链接,写入会改写它所指向的文件,已拒绝");
}

QString saveFile(const QString& path, QByteArrayView bytes)
{
    if (QString refused = symlinkRefusal(path); !refused.isEmpty())
        return refused;
    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    const bool replacing = ::lstat(target.constData(), &old) == 0;
    if (replacing && ::access(target.constData(), W_OK) != 0)
        return systemReason(errno);

    // The new file's name is made anew each try and never follows a link: O_EXCL fails on
    // anything already there.
    QByteArray temporary;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 100; ++tries) {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return systemReason(errno);
    }
    if (fd < 0)
        return systemReason(EEXIST);
    int error = writeAll(fd, bytes);
    if (!error && replacing && ::fchmod(fd, old.st_mode & 07777) != 0)
        error = errno;
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    // rename() puts the new file in the place of whatever is at `path`, a link included, and
    // never writes through one.
    QString reason = error ? systemReason(error) : symlinkRefusal(path);
    if (reason.isEmpty() && ::rename(temporary.constData(), target.constData()) != 0)
        reason = systemReason(errno);
    if (!reason.isEmpty())
        ::unlink(temporary.constData());
    return reason;
}
