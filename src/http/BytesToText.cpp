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
