// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ImportWarning.h"

#include "platform/PlainText.h"

namespace {

constexpr qsizetype namedFiles = 5;

} // namespace

QString importWarning(const QList<ImportProblem>& problems)
{
    QStringList lines;
    // A file name may hold a line break of its own; each stays on its line.
    for (const ImportProblem& problem : problems.first(std::min(problems.size(), namedFiles)))
        lines.append(QStringLiteral("导入") + oneLine(problem.file, 300) + QStringLiteral("失败:") +
                     oneLine(problem.reason, 300));
    if (problems.size() > namedFiles)
        lines.append(QStringLiteral("另有") + QString::number(problems.size() - namedFiles) +
                     QStringLiteral("个文件导入失败"));
    return lines.join(u'\n');
}
