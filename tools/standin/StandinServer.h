// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "StandinOptions.h"
#include "SuggestionStore.h"

#include <QByteArray>
#include <QObject>

class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponder;

// The site explorer's result pages and the publisher's bulletin and suggestion box, served on
// the loopback interface only.
class StandinServer : public QObject {
    Q_OBJECT

public:
    explicit StandinServer(const StandinOptions& options, QObject* parent = nullptr);

    // Port 0 takes any free port. Returns the port listened on, 0 when that failed.
    quint16 listen(quint16 port);

Q_SIGNALS:
    // One line per request answered ("GET /search?p=...&b=51 200") and per suggestion stored.
    void logLine(const QString& line);

private:
    struct Reply {
        int status = 200;
        QByteArray mimeType = "text/plain; charset=utf-8";
        QByteArray body;
    };

    Reply searchPage(const QHttpServerRequest& request) const;
    Reply bulletin() const;
    Reply suggestion(const QHttpServerRequest& request);
    void answer(const QHttpServerRequest& request, QHttpServerResponder&& responder, Reply reply);

    StandinOptions options_;
    mutable int walks_ = 0; // walks started, with --changing
    SuggestionStore store_;
    QHttpServer* server_;
};
