// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QStringView>

// Turns a reply body into text in the named charset. Names compare regardless of letter case;
// "GB2312" decodes as code page 936 (GBK), the superset a Chinese system means by it, and any
// other name glibc iconv knows is used as it is; an unknown name decodes as UTF-8. An initial
// UTF-8 byte-order mark is dropped. Invalid bytes become U+FFFD. Never fails: at worst the
// result is empty.
QString bytesToText(QByteArrayView body, QStringView charset);

// Whether a page declares itself UTF-8 in a meta tag: some "<meta" followed, within the same tag
// (no ">" in between) and after at least one more character, by "charset=utf-8". Both compare
// regardless of ASCII letter case. Takes time linear in the length of the page, whatever it holds.
bool declaresUtf8(QStringView html);
