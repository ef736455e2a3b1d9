// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringView>

// The row that stands for results whose host cannot be read. Brackets never stand in a host
// name, so no page can make a real host look like it, and it cannot pass for one either.
inline const QString unreadableHost = QStringLiteral("(无法识别的域名)");

// A host as taken from a result page, as the rows show it. A host holding a space, a line break,
// another control character or a control that reorders text is no host: it would show as another
// name, or copy as more than a name; it becomes unreadableHost. A host whose letters mix scripts
// a name does not mix ("аррӏе.com", Cyrillic made to look like Latin) is shown in its ASCII
// (punycode) form, as browsers do; Latin with Chinese, Japanese or Korean is a usual mix.
QString readableHost(QStringView host);

// Whether the letters of `name` mix scripts as no name does: Latin with the scripts of Chinese,
// Japanese or Korean is a usual mix, any other is how a lookalike of another name is made.
bool mixesScripts(QStringView name);
