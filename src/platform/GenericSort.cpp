// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GenericSort.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

// The number a cell starts with ("12个" -> 12), if it starts with one; leading spaces and a sign
// are allowed, a lone point is no number.
std::optional<double> leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && text[digitsStart] == u'.'))
        return std::nullopt;
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

std::vector<int> genericSortOrder(const QStringList& cells, bool descending)
{
    struct Key {
        std::optional<double> number;
        const QString* text;
    };
    // The keys are read once: a sort compares each cell many times.
    std::vector<Key> keys;
    keys.reserve(cells.size());
    for (const QString& cell : cells)
        keys.push_back({leadingNumber(cell), &cell});
    auto less = [](const Key& a, const Key& b) {
        if (a.number && b.number)
            return *a.number < *b.number;
        if (a.number || b.number)
            return bool(a.number);
        return *a.text < *b.text;
    };
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return descending ? less(keys[b], keys[a]) : less(keys[a], keys[b]);
    });
    return order;
}
