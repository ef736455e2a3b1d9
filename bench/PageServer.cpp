// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PageServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace {

// The page number `b` of a result-page target, or 0.
int pageOf(QByteArrayView target)
{
    if (!target.startsWith("/search?"))
        return 0;
    const qsizetype at = target.lastIndexOf("b=");
    if (at < 1 || (target[at - 1] != '&' && target[at - 1] != '?'))
        return 0;
    return target.sliced(at + 2).toInt();
}

QByteArray response(const QByteArray* page)
{
    if (!page)
        return QByteArrayLiteral("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(page->size()) + "\r\n\r\n" + *page;
}

} // namespace

PageServer::PageServer(QHash<int, QByteArray> pages, int delayMs)
    : pages_(std::move(pages)), server_(new QTcpServer), delayMs_(delayMs)
{
    server_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, server_, &QObject::deleteLater);
    QObject::connect(server_, &QTcpServer::newConnection, server_, [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            auto pending = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, pending] {
                *pending += socket->readAll();
                qsizetype end;
                while ((end = pending->indexOf("\r\n\r\n")) >= 0) {
                    const QByteArray line = pending->left(pending->indexOf("\r\n"));
                    pending->remove(0, end + 4);
                    const QList<QByteArray> parts = line.split(' ');
                    const int b = parts.size() >= 2 ? pageOf(parts[1]) : 0;
                    const auto page = pages_.constFind(b);
                    QByteArray answer = response(page == pages_.cend() ? nullptr : &*page);
                    if (delayMs_ == 0)
                        socket->write(answer);
                    else
                        QTimer::singleShot(delayMs_, Qt::PreciseTimer, socket,
                                           [socket, answer] { socket->write(answer); });
                }
            });
        }
    });
    thread_.start();
    QMetaObject::invokeMethod(
        server_,
        [this] {
            server_->listen(QHostAddress::LocalHost);
            port_ = server_->serverPort();
        },
        Qt::BlockingQueuedConnection);
}

PageServer::~PageServer()
{
    thread_.quit();
    thread_.wait();
}
