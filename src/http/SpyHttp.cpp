// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SpyHttp.h"

#include "BytesToText.h"

#include <QNetworkReply>

spyHTTP::spyHTTP(QNetworkReply* reply, QObject& target, const QString& handler,
                 const QString& charset, const RequestLimits& limits)
    : QObject(reply), oHTTP(reply), sFunc(handler), sCharset(charset), target_(&target),
      maxBodyBytes_(limits.maxBodyBytes)
{
    connect(reply, &QNetworkReply::finished, this, &spyHTTP::spy);
    connect(reply, &QNetworkReply::metaDataChanged, this, &spyHTTP::checkSize);
    connect(reply, &QNetworkReply::readyRead, this, &spyHTTP::checkSize);
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
    if (!reply)
        return;
    deadline_.stop();
    oHTTP.clear();
    reply->deleteLater(); // takes this object with it

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    qint16 er = 1;
    QString html;
    const bool redirectFailed = reply->error() == QNetworkReply::TooManyRedirectsError ||
                                reply->error() == QNetworkReply::InsecureRedirectError;
    if (!failure_.isEmpty()) {
        html = failure_;
    } else if (redirectFailed) {
        // The last status is only one hop of the loop; the reason says more.
        html = reply->errorString();
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
