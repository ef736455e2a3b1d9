// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "UrlFetch.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkReply;

// Carries one request from its start to the call of its handler. Lives as a child of its reply,
// so the pair goes away together once the reply has been handled.
class spyHTTP : public QObject {
    Q_OBJECT
public:
    spyHTTP(QNetworkReply* reply, QObject& target, const QString& handler, const QString& charset,
            const RequestLimits& limits, const QByteArray& body = {});

    QPointer<QNetworkReply> oHTTP; // cleared when the exchange has ended
    QString sFunc;                 // name of the handler on the target window
    QString sCharset;              // charset of the reply body; empty means detect

private:
    void spy();
    void checkSize();
    void watch(QNetworkReply* reply);
    bool followRedirect(QNetworkReply* reply);
    void giveUp(const QString& reason);
    QString replyText(const QByteArray& body) const;

    QPointer<QObject> target_;
    QUrl origin_;     // where the request was sent first
    QByteArray body_; // what it carried, for a redirect that keeps the method
    int redirects_ = 0;
    qint64 maxBodyBytes_;
    QString failure_; // why the exchange was cut off, when it was
    QTimer deadline_;
};
