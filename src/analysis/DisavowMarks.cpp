// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DisavowMarks.h"

QStringList MemoryDisavowMarks::list(const QString& site)
{
    return marks_.value(site);
}

bool MemoryDisavowMarks::add(const QString& site, const QStringList& entries, QString*)
{
    QStringList& marked = marks_[site];
    for (const QString& entry : entries)
        if (!marked.contains(entry))
            marked.append(entry);
    return true;
}

bool MemoryDisavowMarks::remove(const QString& site, const QStringList& entries, QString*)
{
    QStringList& marked = marks_[site];
    for (const QString& entry : entries)
        marked.removeAll(entry);
    return true;
}
