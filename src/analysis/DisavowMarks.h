// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The entries a user has disavowed, per site, each as a disavow file writes it
// ("domain:example.com" or an address).
class DisavowMarks {
public:
    virtual ~DisavowMarks() = default;

    // The site's entries in the order they were marked.
    virtual QStringList list(const QString& site) = 0;
    // Each returns false with the reason when the marks could not be changed; entries already
    // marked (or not marked, for a removal) are passed over.
    virtual bool add(const QString& site, const QStringList& entries, QString* reason) = 0;
    virtual bool remove(const QString& site, const QStringList& entries, QString* reason) = 0;
};

// Marks kept for as long as the program runs.
class MemoryDisavowMarks final : public DisavowMarks {
public:
    QStringList list(const QString& site) override;
    bool add(const QString& site, const QStringList& entries, QString* reason) override;
    bool remove(const QString& site, const QStringList& entries, QString* reason) override;

private:
    QHash<QString, QStringList> marks_;
};
