// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StandinServer.h"

#include "Bulletin.h"
#include "ExplorerPages.h"

#include <QHttpServer>
#include <QMetaEnum>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Longer site texts than any real site are refused rather than echoed into a page.
constexpr qsizetype maxSiteBytes = 2048;
// The program's encoder stops at 32766 characters, at most six bytes each once escaped.
constexpr qsizetype maxSuggestionBytes = 256 * 1024;

} // namespace

StandinServer::StandinServer(const StandinOptions& options, QObject* parent)
    : QObject(parent), options_(options), store_(options.dataFolder), server_(new QHttpServer(this))
{
    using Method = QHttpServerRequest::Method;
    server_->route(u"/search"_s, Method::Get,
                   [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                       answer(request, std::move(responder), searchPage(request));
                   });
    server_->route(u"/qzupdate/inlink/"_s, Method::Get,
                   [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                       answer(request, std::move(responder), bulletin());
                   });
    server_->route(u"/qzupdate/inlink/a/"_s, Method::Post,
                   [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                       answer(request, std::move(responder), suggestion(request));
                   });
    server_->setMissingHandler([this](const QHttpServerRequest& request,
                                      QHttpServerResponder&& responder) {
        answer(request, std::move(responder), {404, "text/plain; charset=utf-8", "Not found\n"});
    });
}

quint16 StandinServer::listen(quint16 port)
{
    return server_->listen(QHostAddress::LocalHost, port);
}

StandinServer::Reply StandinServer::searchPage(const QHttpServerRequest& request) const
{
    const QUrlQuery query = request.query();
    const QString site = query.queryItemValue(u"p"_s, QUrl::FullyDecoded);
    bool ok = false;
    const int b = query.queryItemValue(u"b"_s).toInt(&ok);
    if (!ok || b < 1)
        return {400, "text/plain; charset=utf-8", "b must be a page number from 1 on\n"};
    if (site.toUtf8().size() > maxSiteBytes)
        return {400, "text/plain; charset=utf-8", "p is too long\n"};
    if (options_.failingPages.contains(b))
        return {options_.failStatus, "text/plain; charset=utf-8", "Rehearsed failure\n"};
    // Each walk starts at b = 1; with --changing, every walk after the first sees other links.
    if (options_.changing && b == 1)
        ++walks_;
    return {200, "text/html; charset=utf-8",
            explorerPage(site, b, !options_.emptyPages.contains(b),
                         options_.changing ? std::max(walks_ - 1, 0) : 0)};
}

StandinServer::Reply StandinServer::bulletin() const
{
    return {200, "text/plain; charset=gb2312", bulletinBody(options_.newsVersion)};
}

StandinServer::Reply StandinServer::suggestion(const QHttpServerRequest& request)
{
    const QByteArray body = request.body();
    if (body.size() > maxSuggestionBytes)
        return {413, "text/plain; charset=utf-8", "Suggestion too long\n"};
    const std::optional<QString> text = decodeSuggestionBody(body);
    if (!text)
        return {400, "text/plain; charset=utf-8", "The form has no field c\n"};
    const QByteArray line = suggestionLine(*text, QDateTime::currentDateTimeUtc());
    if (!store_.append(line)) {
        Q_EMIT logLine(u"Cannot write "_s + store_.filePath());
        return {500, "text/plain; charset=utf-8", "Cannot store the suggestion\n"};
    }
    Q_EMIT logLine(u"suggestion: "_s + QString::fromUtf8(line));
    return {200, "text/plain; charset=utf-8", "OK\n"};
}

void StandinServer::answer(const QHttpServerRequest& request, QHttpServerResponder&& responder,
                           Reply reply)
{
    const QUrl url = request.url();
    QString target = url.path();
    if (url.hasQuery())
        target += u'?' + url.query(QUrl::PrettyDecoded);
    if (target.size() > 200)
        target = target.left(200) + u"...";
    const QString method =
        QString::fromLatin1(
            QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(request.method())))
            .toUpper();
    const QString line = method % u' ' % target % u' ' % QString::number(reply.status);

    const auto send = [this, line, reply](QHttpServerResponder& out) {
        out.write(reply.body, reply.mimeType, QHttpServerResponder::StatusCode(reply.status));
        Q_EMIT logLine(line);
    };
    if (options_.delayMs <= 0) {
        send(responder);
        return;
    }
    // The reply waits on the event loop, not in a sleep, so other requests are served meanwhile.
    // A client that hangs up in the meantime takes its socket with it: then nothing is sent.
    auto later = std::make_shared<QHttpServerResponder>(std::move(responder));
    QPointer<QTcpSocket> socket = later->socket();
    QTimer::singleShot(options_.delayMs, this, [this, later, socket, send, line] {
        if (socket)
            send(*later);
        else
            Q_EMIT logLine(line + u" (client gone)");
    });
}
