// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HttpFixture.h"

#include <QHttpServerRequest>
#include <QMetaEnum>
#include <QPointer>
#include <QTcpSocket>

QByteArray HttpFixture::Request::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value.isNull() ? QByteArray("") : value;
    return {};
}

HttpFixture::Reply HttpFixture::Reply::answer(QByteArray body, int status)
{
    Reply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

HttpFixture::Reply HttpFixture::Reply::silence()
{
    Reply reply;
    reply.never = true;
    return reply;
}

HttpFixture::HttpFixture(QObject* parent) : QAbstractHttpServer(parent)
{
    port_ = listen(QHostAddress::LocalHost, 0);
}

QString HttpFixture::host() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port_);
}

bool HttpFixture::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    Request recorded;
    const auto method = QMetaEnum::fromType<QHttpServerRequest::Method>();
    recorded.method = QByteArray(method.valueToKey(int(request.method()))).toUpper();
    recorded.path = request.url().path();
    recorded.query = request.query();
    recorded.headers = request.headers();
    recorded.body = request.body();
    requests_.append(recorded);

    const Reply reply = script_ ? script_(recorded) : Reply{};
    auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
    QPointer<QTcpSocket> connection(socket);
    auto answer = [responder, reply, connection] {
        responder->writeStatusLine(QHttpServerResponder::StatusCode(reply.status));
        bool hasLength = false;
        for (const auto& [key, value] : reply.headers) {
            responder->writeHeader(key, value);
            hasLength |= key.compare("content-length", Qt::CaseInsensitive) == 0;
        }
        if (!hasLength && reply.announceLength)
            responder->writeHeader("Content-Length", QByteArray::number(reply.body.size()));
        responder->writeBody(reply.body);
        if ((reply.closeAfter || !reply.announceLength) && connection)
            connection->disconnectFromHost();
    };
    if (reply.never)
        silent_.append(responder); // the connection stays open and silent
    else
        answer();
    return true;
}

void HttpFixture::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}
