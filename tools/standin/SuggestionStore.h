// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The text of the form body "c=..." the program posts: its bytes are code page 936, percent
// escaped, with "+" for a space. Empty when the field is empty; nothing when there is no field c.
std::optional<QString> decodeSuggestionBody(QByteArrayView body);

// One suggestion as a line of JSON, {"text": ..., "time": ISO-8601 in UTC}, UTF-8 with the
// Chinese left readable. No line break at the end.
QByteArray suggestionLine(const QString& text, const QDateTime& time);

// suggestions.jsonl in a folder: what users sent, one JSON line each, in the order received.
class SuggestionStore {
public:
    explicit SuggestionStore(const QString& folder);

    QString filePath() const { return path_; }

    // Appends the line and a line break; false when the file cannot be written.
    bool append(const QByteArray& line) const;

private:
    QString path_;
};
