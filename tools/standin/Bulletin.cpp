// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Bulletin.h"

#include "platform/CodePage.h"

#include <QString>
#include <QStringList>

using namespace Qt::StringLiterals;

QByteArray bulletinBody(int announcedVersion)
{
    // Short captions: the labels sit two to a row at the bottom of the main window.
    const QStringList items = {
        u"使用帮助[Q|Z]http://www.ostrel.example/help/"_s,
        u"更新日志[Q|Z]http://www.ostrel.example/changes/"_s,
        u"常见问题[Q|Z]http://www.ostrel.example/faq/"_s,
        u"站长论坛[Q|Z]http://bbs.ostrel.example/"_s,
    };
    const QString text = QString::number(announcedVersion) % u"{update}" % items.join(u"{Q|Z}");
    return toAnsiCodePage(text);
}
