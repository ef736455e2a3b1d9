// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "analysis/DisavowMarks.h"

#include <functional>

class HistoryStore;

// Disavow marks kept in the history file, so that they outlast the window. While there is no
// history file to keep them in (`store` gives nullptr), they are kept for as long as the program
// runs.
class StoredDisavowMarks final : public DisavowMarks {
public:
    explicit StoredDisavowMarks(std::function<HistoryStore*()> store);

    QStringList list(const QString& site) override;
    bool add(const QString& site, const QStringList& entries, QString* reason) override;
    bool remove(const QString& site, const QStringList& entries, QString* reason) override;

private:
    std::function<HistoryStore*()> store_;
    MemoryDisavowMarks memory_;
};
