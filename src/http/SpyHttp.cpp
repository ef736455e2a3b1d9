// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SpyHttp.h"

#include "BytesToText.h"

#include <QNetworkReply>

spyHTTP::spyHTTP(QNetworkReply* reply, QObject& target, const QString& handler,
                 const QString& charset, const RequestLimits& limits, const QByteArray& body)
    : QObject(reply), oHTTP(reply), sFunc(handler), sCharset(charset), target_(&target),
      origin_(reply->url()), body_(body), maxBodyBytes_(limits.maxBodyBytes)
{
    watch(reply);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this, limits] {
        giveUp(tr("No complete reply within %1 seconds").arg(limits.timeLimitMs / 1000.0));
    });
    deadline_.start(limits.timeLimitMs);
}

void spyHTTP::checkSize()
{
    if (!oHTTP || !failure_.isEmpty())
        return;
    const QVariant declared = oHTTP->header(QNetworkRequest::ContentLengthHeader);
    if (oHTTP->bytesAvailable() > maxBodyBytes_ ||
        (declared.isValid() && declared.toLongLong() > maxBodyBytes_))
        giveUp(tr("The reply was too large (over %1 MiB)").arg(maxBodyBytes_ / (1024.0 * 1024.0)));
}

void spyHTTP::watch(QNetworkReply* reply)
{
    connect(reply, &QNetworkReply::finished, this, &spyHTTP::spy);
    connect(reply, &QNetworkReply::metaDataChanged, this, &spyHTTP::checkSize);
    connect(reply, &QNetworkReply::readyRead, this, &spyHTTP::checkSize);
}

bool spyHTTP::followRedirect(QNetworkReply* reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (!target.isValid() || !QList{301, 302, 303, 307, 308}.contains(status) ||
        !failure_.isEmpty())
        return false;
    // A server may move a page within itself. Sent on to another scheme, host or port, a
    // request (a suggestion with its text among them) would go where the user never sent it.
    const QUrl to = reply->url().resolved(target.toUrl());
    auto port = [](const QUrl& url) { return url.port(url.scheme() == u"https" ? 443 : 80); };
    if (to.scheme() != origin_.scheme() || to.host() != origin_.host() ||
        port(to) != port(origin_)) {
        failure_ = tr("Redirected to another server (%1), not followed")
                       .arg(to.toString(QUrl::RemoveUserInfo | QUrl::RemovePath |
                                        QUrl::RemoveQuery | QUrl::RemoveFragment)
                                .left(200));
        return false;
    }
    if (++redirects_ > 20) {
        failure_ = tr("Too many redirects");
        return false;
    }
    // As browsers do: 307 and 308 send the same request again, the others ask with GET.
    QNetworkRequest request = reply->request();
    request.setUrl(to);
    QByteArray verb = request.attribute(QNetworkRequest::CustomVerbAttribute).toByteArray();
    const bool same = status == 307 || status == 308 || verb == "GET" || verb == "HEAD";
    if (!same) {
        verb = "GET";
        request.setHeader(QNetworkRequest::ContentTypeHeader, QVariant());
    }
    QNetworkReply* next = same && !body_.isEmpty()
                              ? reply->manager()->sendCustomRequest(request, verb, body_)
                              : reply->manager()->sendCustomRequest(request, verb);
    setParent(next);
    oHTTP = next;
    watch(next);
    reply->deleteLater();
    return true;
}

void spyHTTP::giveUp(const QString& reason)
{
    if (!oHTTP || !failure_.isEmpty())
        return;
    failure_ = reason;
    oHTTP->abort(); // finishes the reply, which calls spy()
}

QString spyHTTP::replyText(const QByteArray& body) const
{
    if (!sCharset.isEmpty())
        return bytesToText(body, sCharset);
    // A page that says nothing of its charset is taken as GB2312; one that declares UTF-8 in a
    // meta tag is read again as UTF-8.
    const QString text = bytesToText(body, u"gb2312");
    return declaresUtf8(text) ? bytesToText(body, u"utf-8") : text;
}

void spyHTTP::spy()
{
    QNetworkReply* reply = oHTTP;
    if (!reply || followRedirect(reply))
        return;
    deadline_.stop();
    oHTTP.clear();
    reply->deleteLater(); // takes this object with it

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    qint16 er = 1;
    QString html;
    if (!failure_.isEmpty()) {
        html = failure_;
    } else if (status.isValid() && status.toInt() != 200) {
        html = QString::number(status.toInt());
    } else if (!status.isValid() || reply->error() != QNetworkReply::NoError) {
        // No status at all (refused, unknown host, reset), or a 200 whose body was cut short.
        html = reply->errorString();
    } else {
        er = 0;
        html = replyText(reply->readAll());
    }

    if (!target_)
        return;
    const QByteArray name = sFunc.toLatin1();
    const bool called = QMetaObject::invokeMethod(target_, name.constData(), Qt::DirectConnection,
                                                  Q_ARG(qint16, er), Q_ARG(QString, html));
    if (!called)
        qWarning("spyHTTP: %s has no handler named %s", target_->metaObject()->className(),
                 name.constData());
}
