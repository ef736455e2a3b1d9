#pragma once

#include <QByteArray>
#include <QStringView>

// Turns a reply body into text in the named charset. Names compare regardless of letter case;
// "GB2312" decodes as code page 936 (GBK), the superset a Chinese system means by it, and any
// other name glibc iconv knows is used as it is; an unknown name decodes as UTF-8. An initial
// UTF-8 byte-order mark is dropped. Invalid bytes become U+FFFD. Never fails: at worst the
// result is empty.
QString bytesToText(QByteArrayView body, QStringView charset);
