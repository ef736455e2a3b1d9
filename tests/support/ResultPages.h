// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Result pages as the site explorer writes them.

// One result: "<h1>n. <a href=...>" and a snippet.
QString resultEntry(const QString& number, const QString& link);
// A UTF-8 page: the total marker unless `total` is null, then `links` numbered from `first`.
QByteArray resultPage(const QString& total, const QStringList& links, int first = 1);
