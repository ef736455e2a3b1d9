// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Iconv.h"

#include <QSysInfo>

#include <cerrno>

Iconv::Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}

Iconv::~Iconv()
{
    if (isValid())
        iconv_close(cd_);
}

const char* Iconv::utf16Name()
{
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
}

void Iconv::reset()
{
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
}

QString Iconv::decode(QByteArrayView bytes)
{
    if (!isValid() || bytes.isEmpty())
        return {};
    reset();
    // Charsets we are asked for take at least one byte per UTF-16 unit, so this is enough in
    // practice; an exotic charset that needs more grows the buffer below.
    QString out(bytes.size() + 1, Qt::Uninitialized);
    qsizetype written = 0; // in bytes
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    for (;;) {
        char* outPtr = reinterpret_cast<char*>(out.data()) + written;
        size_t outLeft = out.size() * sizeof(char16_t) - written;
        const size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        written = outPtr - reinterpret_cast<char*>(out.data());
        if (rc != static_cast<size_t>(-1) || inLeft == 0)
            break;
        if (error == E2BIG || outLeft < sizeof(char16_t)) {
            out.resize(out.size() * 2);
            continue;
        }
        // An invalid sequence becomes one U+FFFD and decoding goes on after its first byte; a
        // body that ends inside a multi-byte character ends with one U+FFFD.
        out[written / qsizetype(sizeof(char16_t))] = QChar(0xFFFD);
        written += sizeof(char16_t);
        if (error != EILSEQ)
            break;
        ++in;
        --inLeft;
        reset();
    }
    out.truncate(written / qsizetype(sizeof(char16_t)));
    return out;
}

QByteArray Iconv::encode(QStringView text, char replacement)
{
    if (!isValid() || text.isEmpty())
        return {};
    reset();
    // Every code page we write uses at most four bytes per UTF-16 unit.
    QByteArray out(text.size() * 4, Qt::Uninitialized);
    char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.data()));
    size_t inLeft = text.size() * sizeof(char16_t);
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd_, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ || errno == EINVAL) {
            *outPtr++ = replacement;
            --outLeft;
            in += sizeof(char16_t);
            inLeft -= sizeof(char16_t);
            reset();
        } else {
            break;
        }
    }
    iconv(cd_, nullptr, nullptr, &outPtr, &outLeft); // flush any shift state
    out.truncate(outPtr - out.data());
    return out;
}
