#include "CodePage.h"

#include "Iconv.h"

QByteArray toAnsiCodePage(QStringView text)
{
    Iconv iconv(ansiCodePageName, Iconv::utf16Name());
    return iconv.encode(text, '?');
}
