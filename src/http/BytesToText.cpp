// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BytesToText.h"

#include "platform/CodePage.h"
#include "platform/Iconv.h"

#include <QString>
#include <QStringDecoder>

namespace {

QString decodeUtf8(QByteArrayView body)
{
    // Qt's decoder drops a leading byte-order mark and turns invalid sequences into U+FFFD.
    QStringDecoder decoder(QStringDecoder::Utf8);
    return decoder.decode(body);
}

} // namespace

QString bytesToText(QByteArrayView body, QStringView charset)
{
    if (body.isEmpty())
        return {};
    if (charset.compare(u"utf-8", Qt::CaseInsensitive) == 0 ||
        charset.compare(u"utf8", Qt::CaseInsensitive) == 0)
        return decodeUtf8(body);

    const QByteArray name = charset.compare(u"gb2312", Qt::CaseInsensitive) == 0
                                ? QByteArray(ansiCodePageName)
                                : charset.toLatin1();
    Iconv iconv(Iconv::utf16Name(), name.constData());
    if (!iconv.isValid() || name.contains('/'))
        return decodeUtf8(body);
    return iconv.decode(body);
}

namespace {

// Whether `lower`, written in lower case ASCII, stands in `text` at `at`, in any letter case.
bool standsAt(QStringView text, qsizetype at, QStringView lower)
{
    if (text.size() - at < lower.size())
        return false;
    for (qsizetype k = 0; k < lower.size(); ++k) {
        char16_t c = text[at + k].unicode();
        if (c >= u'A' && c <= u'Z')
            c += u'a' - u'A';
        if (c != lower[k].unicode())
            return false;
    }
    return true;
}

} // namespace

bool declaresUtf8(QStringView html)
{
    // A single pass that remembers the earliest "<meta" since the last ">": a pattern that tried
    // each "<meta" in turn would read the rest of the tag again for every one of them, which on a
    // long run of "<meta" without ">" takes time quadratic in its length.
    constexpr QStringView meta = u"<meta";
    constexpr QStringView charset = u"charset=utf-8";
    qsizetype tag = -1;
    for (qsizetype at = 0; at < html.size(); ++at) {
        const char16_t c = html[at].unicode();
        if (c == u'>')
            tag = -1;
        else if (c == u'<' && tag < 0 && standsAt(html, at, meta))
            tag = at;
        else if (tag >= 0 && at > tag + meta.size() && standsAt(html, at, charset))
            return true;
    }
    return false;
}
