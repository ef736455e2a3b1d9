// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QNetworkAccessManager;
class QObject;

// Limits every request gets, so that a bad server can neither stall a caller for ever nor make
// the program hold an unbounded body in memory.
struct RequestLimits {
    int timeLimitMs = 30'000;               // the whole exchange, connect to last byte
    qint64 maxBodyBytes = 16 * 1024 * 1024; // a larger reply is cut off and reported as a failure
};

// Starts one asynchronous request and returns at once. When the exchange ends, the method named
// `handler` is called by name on `target` with (qint16 er, QString html): er = 0 and the body
// decoded in `charset` for status 200, er = 1 and the status code as text for any other status,
// er = 1 and a short reason when no status came (refused, reset, cut short, too large, too slow,
// or a redirect elsewhere). Redirects are followed only to the same scheme, host and port.
// The handler is called exactly once per request, unless `target` is gone by then.
//
// `method` is sent as given, except that standard method names go on the wire in capitals; a
// "post" in any letter case carries "Content-Type: application/x-www-form-urlencoded". A non-empty
// `payload` is the body. An empty `charset` asks for detection (GB2312 unless a meta tag declares
// charset=utf-8).
//
// A handler name the target does not have is a programming error: a debug build stops at the
// call, a release build warns and sends the request all the same.
void urlfetch(QNetworkAccessManager& manager, QObject& target, const QString& url,
              const QString& method, const QString& payload, const QString& charset,
              const QString& handler, const RequestLimits& limits = {});

// Whether `target` has a method named `handler` that urlfetch can call with (qint16, QString).
bool hasReplyHandler(const QObject& target, const QString& handler);
