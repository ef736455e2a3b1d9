// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>
#include <QString>

// Files are written where others may write too (a shared folder, the program's folder). Another
// user can plant a symbolic link at the name a file is saved under, pointing at one of ours
// (~/.bashrc): a write through it would replace that file instead. Nothing Ostrel saves is ever
// written through a symbolic link.

// Why nothing may be written at `path`: it is a symbolic link, whether it points anywhere or not.
// Empty when it is not one. For files a library opens itself (a database), checked before opening.
QString symlinkRefusal(const QString& path);

// Saves `bytes` as the file `path`: written whole beside it, then put in its place, so an earlier
// file is replaced only by a complete new one (a full disk keeps the old). The new file keeps the
// old one's permissions. A symbolic link at `path` is refused (symlinkRefusal) and left as it is,
// and so is what it points to; the final step replaces whatever is at `path` and never follows a
// link, even one planted after the check. Returns why it failed, or an empty string when saved.
QString saveFile(const QString& path, QByteArrayView bytes);
