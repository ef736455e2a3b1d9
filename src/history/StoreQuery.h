// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

// One prepared statement on the store's named connection, its values bound in order.
class Query {
public:
    explicit Query(const QString& connection, const char* sql)
        : query_(QSqlDatabase::database(connection, false))
    {
        query_.setForwardOnly(true);
        prepared_ = query_.prepare(QString::fromLatin1(sql));
    }
    Query& bind(const QVariant& value)
    {
        query_.addBindValue(value);
        return *this;
    }
    // A statement that did not compile keeps the reason, which tells a damaged file.
    bool exec() { return prepared_ && query_.exec(); }
    bool next() { return query_.next(); }
    QVariant value(int column) const { return query_.value(column); }
    QString error() const { return query_.lastError().text(); }
    qint64 lastInsertId() const { return query_.lastInsertId().toLongLong(); }
    const QSqlError lastError() const { return query_.lastError(); }

private:
    QSqlQuery query_;
    bool prepared_ = false;
};
