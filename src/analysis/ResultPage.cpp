#include "ResultPage.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

constexpr QRegularExpression::PatternOptions markerOptions =
    QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption;

const QRegularExpression& totalPattern()
{
    static const QRegularExpression pattern(QStringLiteral("共 <strong>(\\d+)</strong> 条"),
                                            markerOptions);
    return pattern;
}

const QRegularExpression& resultPattern()
{
    static const QRegularExpression pattern(QStringLiteral("<h1>(\\d+)\\. <a href=\"([^\"]+)\">"),
                                            markerOptions);
    return pattern;
}

const QRegularExpression& hostPattern()
{
    static const QRegularExpression pattern(QStringLiteral("http://([^/]+)/"), markerOptions);
    return pattern;
}

// The value of a run of ASCII digits; one that does not fit 32 bits becomes the largest that
// does, which the run treats as past any total instead of failing on it.
qint32 saturatedNumber(QStringView digits)
{
    constexpr qint64 largest = std::numeric_limits<qint32>::max();
    qint64 value = 0;
    for (const QChar digit : digits) {
        value = value * 10 + (digit.unicode() - u'0');
        if (value > largest)
            return qint32(largest);
    }
    return qint32(value);
}

} // namespace

QStringView hostOfLink(QStringView link)
{
    const QRegularExpressionMatch match = hostPattern().match(link);
    return match.hasMatch() ? match.capturedView(1) : QStringView();
}

ResultPage parseResultPage(const QString& html)
{
    ResultPage page;
    const QRegularExpressionMatch totalMatch = totalPattern().match(html);
    if (totalMatch.hasMatch())
        page.total = std::min(saturatedNumber(totalMatch.capturedView(1)), resultCap);

    page.results.reserve(resultPageStep);
    QStringView host;
    QRegularExpressionMatchIterator it = resultPattern().globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QStringView link = match.capturedView(2);
        // A link without a host part is counted for the host of the result before it.
        if (const QStringView found = hostOfLink(link); !found.isEmpty())
            host = found;
        page.results.push_back({saturatedNumber(match.capturedView(1)), link, host});
    }
    return page;
}
