// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <iconv.h>

// One glibc iconv conversion descriptor, opened for a pair of charsets and closed with the object.
// Bytes a charset cannot hold never abort a conversion: each caller says what stands in for them.
class Iconv {
public:
    Iconv(const char* to, const char* from);
    ~Iconv();
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool isValid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Decodes bytes of the source charset into UTF-16. A byte sequence that is invalid in the
    // source charset becomes U+FFFD and the decoding goes on with the next byte.
    // Needs an Iconv opened with to = utf16Name().
    QString decode(QByteArrayView bytes);

    // Encodes UTF-16 into the target charset. Every 16-bit unit the target cannot hold becomes
    // `replacement`, one per unit, so a lone surrogate and each half of an unmappable pair count
    // as one character each. Needs an Iconv opened with from = utf16Name().
    QByteArray encode(QStringView text, char replacement);

    // The name of UTF-16 in this machine's byte order, so QString's storage is used as it is.
    static const char* utf16Name();

private:
    void reset();

    iconv_t cd_;
};
