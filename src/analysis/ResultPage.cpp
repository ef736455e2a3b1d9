// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ResultPage.h"

#include "HtmlAttribute.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <optional>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Whether `text` is well-formed UTF-16. Nothing is found in a page that is not.
bool wellFormed(QStringView text)
{
    const char16_t* unit = text.utf16();
    const char16_t* const end = unit + text.size();
    // Pages seldom hold a surrogate at all: runs without one are passed over eight units at a
    // time where the processor can.
#if defined(__SSE2__)
    const __m128i mask = _mm_set1_epi16(qint16(0xF800));
    const __m128i surrogate = _mm_set1_epi16(qint16(0xD800));
    for (; end - unit >= 8; unit += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(unit));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(chunk, mask), surrogate)))
            break;
    }
#endif
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

// The markers of a page are scanned by hand, each standing for the regular expression given with
// it, matched regardless of case: a regular-expression match costs more in its setup than this
// scan of the whole page.

// Where the run of ASCII digits (\d) that starts at `at` ends.
qsizetype digitsEnd(QStringView text, qsizetype at)
{
    while (at < text.size() && text[at].unicode() >= u'0' && text[at].unicode() <= u'9')
        ++at;
    return at;
}

// Whether `text` holds `lower` at `at`, matched regardless of case: `lower` is ASCII with small
// letters, which match their capitals too, and "s" also matches U+017F (long s), which folds to
// it. No other character folds to a letter used in the markers.
bool holdsAt(QStringView text, qsizetype at, std::u16string_view lower)
{
    if (text.size() - at < qsizetype(lower.size()))
        return false;
    for (std::size_t k = 0; k < lower.size(); ++k) {
        const char16_t c = text[at + qsizetype(k)].unicode();
        const char16_t want = lower[k];
        if (c != want && !(want >= u'a' && want <= u'z' && c == want - 0x20) &&
            !(want == u's' && c == u'\u017F'))
            return false;
    }
    return true;
}

// The next "<" at or after `from`, or -1. Tags stand a few dozen characters apart; the text
// between them is passed over eight characters at a time where the processor can.
qsizetype nextTag(QStringView text, qsizetype from)
{
    const char16_t* const units = text.utf16();
    const qsizetype size = text.size();
    qsizetype at = from;
#if defined(__SSE2__)
    const __m128i tag = _mm_set1_epi16(u'<');
    for (; size - at >= 8; at += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + at));
        if (const unsigned found = _mm_movemask_epi8(_mm_cmpeq_epi16(chunk, tag)))
            return at + std::countr_zero(found) / 2;
    }
#endif
    for (; at < size; ++at) {
        if (units[at] == u'<')
            return at;
    }
    return -1;
}

// The total: the digits of the first 共 <strong>(\d+)</strong> 条.
std::optional<QStringView> totalDigits(QStringView html)
{
    for (qsizetype at = html.indexOf(u'共'); at >= 0; at = html.indexOf(u'共', at + 1)) {
        if (!holdsAt(html, at + 1, u" <strong>"))
            continue;
        const qsizetype digits = at + 10;
        const qsizetype end = digitsEnd(html, digits);
        if (end > digits && holdsAt(html, end, u"</strong> 条"))
            return html.sliced(digits, end - digits);
    }
    return std::nullopt;
}

// A result: <h1>(\d+)\. <a href="([^"]+)">, found from `from` on.
struct ResultMatch {
    qsizetype end = -1; // where the match ends; -1 when there is none
    QStringView number;
    QStringView link;
};

ResultMatch nextResult(QStringView html, qsizetype from)
{
    for (qsizetype at = nextTag(html, from); at >= 0; at = nextTag(html, at + 1)) {
        if (!holdsAt(html, at, u"<h1>"))
            continue;
        const qsizetype digits = at + 4;
        const qsizetype dot = digitsEnd(html, digits);
        if (dot == digits || !holdsAt(html, dot, u". <a href=\""))
            continue;
        const qsizetype link = dot + 11;
        const qsizetype quote = html.indexOf(u'"', link);
        if (quote < 0)
            return {}; // no closing quote here, so none after a later start either
        if (quote == link || quote + 1 == html.size() || html[quote + 1] != u'>')
            continue;
        return {quote + 2, html.sliced(digits, dot - digits), html.sliced(link, quote - link)};
    }
    return {};
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
    if (!wellFormed(html))
        return page;
    if (const std::optional<QStringView> digits = totalDigits(html))
        page.total = std::min(saturatedNumber(*digits), resultCap);

    page.results.reserve(resultPageStep);
    QString host;
    // A page holds fifty results; one that lists more is not to be believed past them.
    for (ResultMatch match = nextResult(html, 0);
         match.end >= 0 && page.results.size() < std::size_t(resultPageStep);
         match = nextResult(html, match.end)) {
        QString link = htmlAttributeValue(match.link);
        // A link without a host part is counted for the host of the result before it.
        if (const QStringView found = hostOfLink(link); !found.isEmpty())
            host = found.toString();
        page.results.push_back({saturatedNumber(match.number), std::move(link), host});
    }
    return page;
}
