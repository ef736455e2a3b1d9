// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "UrlFetch.h"

#include "SpyHttp.h"

#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace {

// Servers reject a method name in small letters, so the standard ones go out in capitals.
QByteArray wireMethod(const QString& method)
{
    static const QByteArrayList standard{"GET",     "HEAD",  "POST",    "PUT",  "DELETE",
                                         "OPTIONS", "PATCH", "CONNECT", "TRACE"};
    const QByteArray upper = method.toLatin1().toUpper();
    return standard.contains(upper) ? upper : method.toLatin1();
}

} // namespace

void urlfetch(QNetworkAccessManager& manager, QObject& target, const QString& url,
              const QString& method, const QString& payload, const QString& charset,
              const QString& handler, const RequestLimits& limits)
{
    // Handler names are strings, so a mistyped one only shows when the reply comes, if ever:
    // catch it where it is written instead.
    if (!hasReplyHandler(target, handler)) {
        qWarning("urlfetch: %s has no handler %s(qint16, QString)",
                 target.metaObject()->className(), qUtf8Printable(handler));
        Q_ASSERT_X(false, "urlfetch", "the target has no reply handler of that name");
    }
    // The URL is used as the caller wrote it; tolerant parsing percent-encodes what may not stand
    // in a URL on the wire (spaces, non-ASCII letters) and leaves the rest alone.
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    request.setRawHeader("If-Modified-Since", "0");
    // spyHTTP looks at each redirect before it is followed, and follows it itself.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    if (method.compare(u"post", Qt::CaseInsensitive) == 0)
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded"));

    const QByteArray body = payload.toUtf8();
    QNetworkReply* reply = payload.isEmpty()
                               ? manager.sendCustomRequest(request, wireMethod(method))
                               : manager.sendCustomRequest(request, wireMethod(method), body);
    new spyHTTP(reply, target, handler, charset, limits, body); // owned by the reply
}

bool hasReplyHandler(const QObject& target, const QString& handler)
{
    const QByteArray signature = handler.toLatin1() + QByteArrayLiteral("(qint16,QString)");
    return target.metaObject()->indexOfMethod(signature.constData()) >= 0;
}
