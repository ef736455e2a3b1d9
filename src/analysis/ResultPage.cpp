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

// Whether `text` is well-formed UTF-16. Told so, the matcher skips its own check of the whole
// page, which is slower than this one; a page that is not is left to that check, under which
// nothing matches.
bool wellFormed(QStringView text)
{
    const char16_t* unit = text.utf16();
    const char16_t* const end = unit + text.size();
    // Pages seldom hold a surrogate at all: runs without one are passed over a block at a time,
    // in a form the compiler turns into vector instructions.
    constexpr int block = 32;
    while (end - unit >= block) {
        unsigned surrogates = 0;
        for (int k = 0; k < block; ++k)
            surrogates |= (unit[k] & 0xF800) == 0xD800;
        if (surrogates)
            break;
        unit += block;
    }
    for (; unit != end; ++unit) {
        if ((*unit & 0xF800) != 0xD800)
            continue;
        if (*unit >= 0xDC00 || unit + 1 == end || (unit[1] & 0xFC00) != 0xDC00)
            return false;
        ++unit;
    }
    return true;
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
    // This is the pattern "http://([^/]+)/" matched regardless of case, scanned by hand: it runs
    // for every result, where a regular-expression match costs more than the rest of the
    // result's work together.
    constexpr qsizetype schemeLength = 7; // "http://"
    for (qsizetype at = 0; at + schemeLength < link.size(); ++at) {
        const QStringView scheme = link.sliced(at, schemeLength);
        if ((scheme[0].unicode() | 0x20) != u'h' || (scheme[1].unicode() | 0x20) != u't' ||
            (scheme[2].unicode() | 0x20) != u't' || (scheme[3].unicode() | 0x20) != u'p' ||
            scheme.sliced(4) != u"://")
            continue;
        const qsizetype start = at + schemeLength;
        const qsizetype slash = link.indexOf(u'/', start);
        if (slash < 0)
            return {}; // no slash after this scheme, so none after a later one either
        if (slash > start)
            return link.sliced(start, slash - start);
        // "http:///" names no host; a later "http://" may.
    }
    return {};
}

ResultPage parseResultPage(const QString& html)
{
    ResultPage page;
    const QRegularExpression::MatchOptions check =
        wellFormed(html) ? QRegularExpression::DontCheckSubjectStringMatchOption
                         : QRegularExpression::NoMatchOption;
    const QRegularExpressionMatch totalMatch =
        totalPattern().match(html, 0, QRegularExpression::NormalMatch, check);
    if (totalMatch.hasMatch())
        page.total = std::min(saturatedNumber(totalMatch.capturedView(1)), resultCap);

    page.results.reserve(resultPageStep);
    QStringView host;
    QRegularExpressionMatchIterator it =
        resultPattern().globalMatch(html, 0, QRegularExpression::NormalMatch, check);
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
