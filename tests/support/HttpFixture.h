// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHttpServerResponder>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

#include <functional>
#include <memory>

// An HTTP server on 127.0.0.1 for tests: it records every request and answers what the test
// scripted, by default 200 with an empty body.
class HttpFixture : public QAbstractHttpServer {
    Q_OBJECT
public:
    struct Request {
        QByteArray method; // as the server parsed it: GET, POST, ... or UNKNOWN
        QString path;
        QUrlQuery query;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;

        // The value of a header, compared regardless of letter case; null when absent.
        QByteArray header(QByteArrayView name) const;
    };

    struct Reply {
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        bool never = false;         // never answer
        bool closeAfter = false;    // close the connection once the answer is written
        bool announceLength = true; // without it the body runs until the connection closes

        static Reply answer(QByteArray body, int status = 200);
        static Reply silence(); // never answers
    };
    using Script = std::function<Reply(const Request&)>;

    explicit HttpFixture(QObject* parent = nullptr);

    // "127.0.0.1:port", the form the program's host settings take.
    QString host() const;
    quint16 port() const { return port_; }

    void setScript(Script script) { script_ = std::move(script); }
    const QList<Request>& requests() const { return requests_; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    quint16 port_ = 0;
    Script script_;
    QList<Request> requests_;
    QList<std::shared_ptr<QHttpServerResponder>> silent_; // answers that never come
};
