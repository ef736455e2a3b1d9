// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ReadableHost.h"

#include "platform/PlainText.h"

#include <QSet>
#include <QUrl>

bool mixesScripts(QStringView host)
{
    QSet<QChar::Script> scripts;
    for (qsizetype i = 0; i < host.size(); ++i) {
        char32_t c = host[i].unicode();
        if (host[i].isHighSurrogate() && i + 1 < host.size() && host[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(host[i], host[i + 1]), ++i;
        const QChar::Script script = QChar::script(c);
        if (script != QChar::Script_Common && script != QChar::Script_Inherited)
            scripts.insert(script);
    }
    if (scripts.size() <= 1)
        return false;
    // Chinese, Japanese and Korean names are written with Latin beside their own scripts.
    using S = QChar::Script;
    for (const QSet<S>& usual :
         {QSet<S>{S::Script_Latin, S::Script_Han, S::Script_Bopomofo},
          QSet<S>{S::Script_Latin, S::Script_Han, S::Script_Hiragana, S::Script_Katakana},
          QSet<S>{S::Script_Latin, S::Script_Han, S::Script_Hangul}})
        if (usual.contains(scripts))
            return false;
    return true;
}

QString readableHost(QStringView host)
{
    if (holdsInvisibleControl(host))
        return unreadableHost;
    for (QChar c : host)
        if (c.isSpace())
            return unreadableHost;
    if (!mixesScripts(host))
        return host.toString();
    const QString ace = QString::fromLatin1(QUrl::toAce(host.toString()));
    return ace.isEmpty() ? unreadableHost : ace;
}
