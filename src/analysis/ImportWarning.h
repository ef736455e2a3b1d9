// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "LinkImport.h"

#include <QString>

// The text of the one "Warning" box an import shows for the files that gave nothing, or an
// empty text when every file gave links. A box for each file would stand ten thousand boxes in
// the user's way for a folder of empty files: the first few are named, each with its reason on a
// line of its own, then how many more failed.
QString importWarning(const QList<ImportProblem>& problems);
