// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RegistrableDomain.h"

#include "ReadableHost.h"

#include <QUrl>

#include <libpsl.h>

namespace {

// The system's list (the publicsuffix package) when it is newer than the one built into libpsl,
// which is used otherwise. Loaded once and read by every lookup after.
const psl_ctx_t* suffixList()
{
    struct List {
        psl_ctx_t* latest = psl_latest(nullptr);
        ~List() { psl_free(latest); } // leaves the built-in list alone
    };
    static const List list;
    return list.latest ? list.latest : psl_builtin();
}

// The host of a URL's authority: without "user@" and ":port", brackets of an IPv6 address off.
QStringView bareHost(QStringView host)
{
    if (const qsizetype at = host.lastIndexOf(u'@'); at >= 0)
        host = host.mid(at + 1);
    if (host.startsWith(u'[')) {
        const qsizetype close = host.indexOf(u']');
        return host.mid(1, close < 0 ? -1 : close - 1);
    }
    // More than one colon is an IPv6 address written without brackets, not a port.
    if (const qsizetype colon = host.indexOf(u':'); colon >= 0 && host.count(u':') == 1)
        return host.left(colon);
    return host;
}

// `name` in Unicode whichever spelling it came in, or as it is when it is no valid name.
QString unicodeName(const QString& name)
{
    const QByteArray ace = QUrl::toAce(name);
    // Qt shows Unicode only under the top levels it knows to police lookalikes; mixesScripts()
    // does that here, for every top level.
    return ace.isEmpty() ? name : QUrl::fromAce(ace, QUrl::IgnoreIDNWhitelist);
}

} // namespace

QString shownDomainName(const QString& name)
{
    const QString unicode = unicodeName(name.toLower());
    return mixesScripts(unicode) ? QString::fromLatin1(QUrl::toAce(unicode)) : unicode;
}

QString registrableDomain(const QString& host)
{
    // The list is written in Unicode, so a punycode name is looked up in it in Unicode too.
    const QString name = unicodeName(bareHost(host).toString().toLower());
    const psl_ctx_t* list = suffixList();
    if (!list)
        return shownDomainName(name);
    const QByteArray utf8 = name.toUtf8();
    // libpsl treats an unknown top level as a public suffix of its own (its "*" rule), which would
    // merge every intranet name under it and make 192.168.1.20 "1.20": such a name is left whole.
    // An IP address is left whole the same way: it ends in a number, or (IPv6) has no dot at all.
    const QByteArray topLevel = utf8.mid(utf8.lastIndexOf('.') + 1);
    if (!psl_is_public_suffix2(list, topLevel.constData(), PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE))
        return shownDomainName(name);
    const char* domain = psl_registrable_domain(list, utf8.constData());
    return shownDomainName(domain ? QString::fromUtf8(domain) : name);
}
