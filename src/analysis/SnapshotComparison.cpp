// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SnapshotComparison.h"

#include <QHash>

#include <algorithm>
#include <cstdlib>

namespace {

struct Counts {
    qint64 before = -1; // -1: not in that snapshot
    qint64 after = -1;
};

qint64 changeSize(const ComparisonRow& row)
{
    return std::abs(row.after - row.before);
}

void appendField(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\r') &&
        !utf8.contains('\n')) {
        out += utf8;
        return;
    }
    out += '"';
    for (const char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

SnapshotComparison compareSnapshots(const std::vector<HostLinkCount>& older,
                                    const std::vector<HostLinkCount>& newer,
                                    const std::function<QString(const QString&)>& group)
{
    // Names in the order first met, so equal changes would keep a stable order even before the
    // sort by name below.
    QHash<QString, qsizetype> index;
    index.reserve(qsizetype(older.size() + newer.size()));
    std::vector<std::pair<QString, Counts>> names;
    names.reserve(older.size() + newer.size());
    auto tally = [&](const std::vector<HostLinkCount>& hosts, qint64 Counts::*side) {
        for (const HostLinkCount& host : hosts) {
            const QString name = group ? group(host.host) : host.host;
            auto at = index.constFind(name);
            if (at == index.constEnd()) {
                at = index.insert(name, qsizetype(names.size()));
                names.emplace_back(name, Counts{});
            }
            qint64& count = names[std::size_t(*at)].second.*side;
            count = std::max<qint64>(count, 0) + host.links;
        }
    };
    tally(older, &Counts::before);
    tally(newer, &Counts::after);

    SnapshotComparison comparison;
    comparison.rows.reserve(names.size());
    for (auto& [name, counts] : names) {
        ComparisonRow row;
        row.name = std::move(name);
        row.before = std::max<qint64>(counts.before, 0);
        row.after = std::max<qint64>(counts.after, 0);
        if (counts.before < 0) {
            row.change = ComparisonRow::Change::New;
            ++comparison.newCount;
        } else if (counts.after < 0) {
            row.change = ComparisonRow::Change::Lost;
            ++comparison.lostCount;
        } else {
            ++comparison.keptCount;
        }
        comparison.rows.push_back(std::move(row));
    }
    std::sort(comparison.rows.begin(), comparison.rows.end(),
              [](const ComparisonRow& a, const ComparisonRow& b) {
                  if (a.change != b.change)
                      return a.change < b.change;
                  const qint64 sizeA = changeSize(a), sizeB = changeSize(b);
                  if (sizeA != sizeB)
                      return sizeA > sizeB;
                  return a.name < b.name;
              });
    return comparison;
}

QString comparisonSummary(const SnapshotComparison& comparison)
{
    return QStringLiteral("新增%1个,丢失%2个,保留%3个")
        .arg(comparison.newCount)
        .arg(comparison.lostCount)
        .arg(comparison.keptCount);
}

QString changeName(ComparisonRow::Change change)
{
    switch (change) {
    case ComparisonRow::Change::New:
        return QStringLiteral("新增");
    case ComparisonRow::Change::Lost:
        return QStringLiteral("丢失");
    case ComparisonRow::Change::Kept:
        break;
    }
    return QStringLiteral("保留");
}

QString changeText(const ComparisonRow& row)
{
    const qint64 change = row.after - row.before;
    return change > 0 ? u'+' + QString::number(change) : QString::number(change);
}

QByteArray comparisonCsv(const SnapshotComparison& comparison)
{
    QByteArray out("\xEF\xBB\xBF");
    out += QStringLiteral("域名,状态,上次,本次,变化\r\n").toUtf8();
    for (const ComparisonRow& row : comparison.rows) {
        appendField(out, row.name);
        out += ',';
        out += changeName(row.change).toUtf8();
        out += ',' + QByteArray::number(row.before) + ',' + QByteArray::number(row.after) + ',';
        out += changeText(row).toUtf8();
        out += "\r\n";
    }
    return out;
}
