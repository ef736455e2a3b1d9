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
    ++linkCount_;
}

void HostTally::add(const QString& host, QStringList&& links)
{
    auto it = index_.constFind(host);
    if (it == index_.cend()) {
        it = index_.insert(host, hosts_.size());
        hosts_.push_back({host, {}});
    }
    linkCount_ += links.size();
    QStringList& mine = hosts_[*it].links;
    if (mine.isEmpty())
        mine = std::move(links);
    else
        mine.append(std::move(links));
}

const QStringList* HostTally::links(const QString& host) const
{
    const auto it = index_.constFind(host);
    return it == index_.cend() ? nullptr : &hosts_[*it].links;
}
