// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QThread>

class QTcpServer;

// A minimal HTTP/1.1 server on 127.0.0.1 for the benchmarks. It runs in a thread of its own, so
// serving costs the thread being measured nothing: "GET /search?...&b=N" is answered at once with
// the prepared page N, anything else with an empty 404. Connections are kept alive. Given a
// delay, every answer waits that long first, as a real service's does.
class PageServer {
public:
    explicit PageServer(QHash<int, QByteArray> pages, int delayMs = 0);
    ~PageServer();

    // "127.0.0.1:port", the form the program's host settings take.
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

private:
    QHash<int, QByteArray> pages_; // read-only once the thread runs
    QThread thread_;
    QTcpServer* server_;
    int delayMs_ = 0;
    quint16 port_ = 0;
};
