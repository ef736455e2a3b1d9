#include "ShownText.h"

QString shownText(const QString& text)
{
    if (text.size() <= maxShownLength)
        return text;
    const bool splitsPair =
        text[maxShownLength - 1].isHighSurrogate() && text[maxShownLength].isLowSurrogate();
    return text.first(splitsPair ? maxShownLength - 1 : maxShownLength);
}
