// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SuggestionStore.h"

#include "http/BytesToText.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

std::optional<QString> decodeSuggestionBody(QByteArrayView body)
{
    for (const QByteArray& field : body.toByteArray().split('&')) {
        if (!field.startsWith("c="))
            continue;
        // "+" first: a plus the user typed arrives as %2B and must survive the decoding.
        QByteArray value = field.mid(2);
        value.replace('+', ' ');
        return bytesToText(QByteArray::fromPercentEncoding(value), u"GB2312");
    }
    return std::nullopt;
}

QByteArray suggestionLine(const QString& text, const QDateTime& time)
{
    const QJsonObject entry{{u"time"_s, time.toUTC().toString(Qt::ISODate)}, {u"text"_s, text}};
    return QJsonDocument(entry).toJson(QJsonDocument::Compact);
}

SuggestionStore::SuggestionStore(const QString& folder)
    : path_(QDir(folder).absoluteFilePath(u"suggestions.jsonl"_s))
{
}

bool SuggestionStore::append(const QByteArray& line) const
{
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write(line + '\n') == line.size() + 1 && file.flush();
}
