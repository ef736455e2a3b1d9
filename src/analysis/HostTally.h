// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The links of a run, grouped by the host they come from. Hosts keep the order in which the run
// first met them and compare exactly, letter case included; each host keeps its links in the
// order found, a link found twice stored twice.
class HostTally {
public:
    struct Host {
        QString name;
        QStringList links;
    };

    // Appends `link` to the links of `host`, adding the host at the end when it is new.
    void add(const QString& host, const QString& link);

    bool contains(const QString& host) const { return index_.contains(host); }
    // The links of `host`, or nullptr when the run never met it.
    const QStringList* links(const QString& host) const;

    // Every host with its links, in the order the run met them.
    const std::vector<Host>& hosts() const { return hosts_; }
    qsizetype linkCount() const { return order_.size(); }

    // The same links tallied by `group` of their host, as if they had been added that way: the
    // groups in the order met, each with its links in the order found across all its hosts.
    // `group` is asked once a host.
    HostTally grouped(const std::function<QString(const QString&)>& group) const;

private:
    std::vector<Host> hosts_;
    QHash<QString, std::size_t> index_;
    std::vector<quint32> order_; // the host of every link added, by its place in hosts_
};
