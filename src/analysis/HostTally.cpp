// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HostTally.h"

void HostTally::add(const QString& host, const QString& link)
{
    auto it = index_.constFind(host);
    if (it == index_.cend()) {
        it = index_.insert(host, hosts_.size());
        hosts_.push_back({host, {}});
    }
    hosts_[*it].links.append(link);
    order_.push_back(quint32(*it));
}

const QStringList* HostTally::links(const QString& host) const
{
    const auto it = index_.constFind(host);
    return it == index_.cend() ? nullptr : &hosts_[*it].links;
}

HostTally HostTally::grouped(const std::function<QString(const QString&)>& group) const
{
    QStringList groups;
    groups.reserve(qsizetype(hosts_.size()));
    for (const Host& host : hosts_)
        groups.append(group(host.name));
    // Walks the links in the order found, taking each from its host's list in turn.
    std::vector<qsizetype> taken(hosts_.size(), 0);
    HostTally result;
    for (const quint32 host : order_)
        result.add(groups[host], hosts_[host].links[taken[host]++]);
    return result;
}
