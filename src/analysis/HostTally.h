// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <memory>

// The links of a run or an import, grouped by the host they come from. Hosts keep the order in
// which they were first met and compare exactly, letter case included; each host keeps its links
// in the order found, a link added twice stored twice (an import that wants each address once
// asks before adding).
//
// The text lives once, as UTF-8 in large blocks: a link costs its bytes and 16 more, however many
// there are, and a QString is made only when one is asked for (shown, copied, exported, opened).
// Hosts are numbered 0.. in the order met; a host's links 0.. in the order found; and every link
// of the tally 0.. in the order found across all hosts.
//
// Copies are cheap and share the text; changing one copy leaves the others as they were. Reading
// one tally from several threads at once is safe; changing it while another thread reads is not.
class HostTally {
public:
    // What an export may say of a link beside its address, in UTF-8; empty where it says nothing.
    // Tallies whose links carry none of these spend nothing on them.
    struct LinkFields {
        QByteArrayView anchor; // the link's text on the linking page
        QByteArrayView target; // the page of the user's site it points to
        QByteArrayView rel;    // its rel attribute, such as "nofollow"
    };
    enum class Field { Anchor, Target, Rel };

    HostTally();
    ~HostTally();
    HostTally(const HostTally&);
    HostTally(HostTally&&) noexcept;
    HostTally& operator=(const HostTally&);
    HostTally& operator=(HostTally&&) noexcept;

    // --- Adding

    // Appends `link` to the links of `host`, adding the host at the end when it is new.
    void add(QStringView host, QStringView link);
    // The number of the host named `host` (UTF-8), added with no links when it is new.
    qsizetype addHost(QByteArrayView host);
    // Appends `link` (UTF-8) and what the export says of it to the links of host number `host`.
    void addLink(qsizetype host, QByteArrayView link, const LinkFields& fields = {});
    // The count a file gives for host `host`, as a file of referring domains does; shown and
    // grouped instead of linkCount(host) while it is the larger.
    void setCount(qsizetype host, qint64 count);

    // --- Reading hosts

    qsizetype hostCount() const;
    QString host(qsizetype host) const;
    QByteArrayView hostUtf8(qsizetype host) const;
    // The number of the host named `name`, or -1 when the tally never met it.
    qsizetype indexOf(QStringView name) const;
    bool contains(QStringView name) const { return indexOf(name) >= 0; }
    // What the host's row counts: the count its file gave or the number of its links, the larger.
    // Files that list a domain's links and files that count them speak of the same links: adding
    // the two would count a link twice.
    qint64 count(qsizetype host) const;

    // --- Reading a host's links

    qsizetype linkCount(qsizetype host) const;
    QString link(qsizetype host, qsizetype i) const;
    QByteArrayView linkUtf8(qsizetype host, qsizetype i) const;
    QString field(qsizetype host, qsizetype i, Field field) const;
    // Every link of `host` as text, in the order found; none for -1.
    QStringList links(qsizetype host) const;

    // --- Reading every link, in the order found

    qsizetype linkCount() const;
    qsizetype hostOfLink(qsizetype n) const;
    QByteArrayView linkUtf8At(qsizetype n) const;
    QString linkAt(qsizetype n) const;
    // Whether any link carries an anchor, a target or a rel.
    bool hasFields() const;
    QByteArrayView fieldUtf8At(qsizetype n, Field field) const;

    // The links for which `keep` of their number is true, with their fields; a host keeps its
    // place while a file gave its count or a link of it is kept.
    HostTally filtered(const std::function<bool(qsizetype n)>& keep) const;

    // The same links tallied by `group` of their host, as if they had been added that way: the
    // groups in the order met, each with its links in the order found across all its hosts, and
    // the sum of its hosts' counts. `group` is asked once a host. The result shares the text.
    HostTally grouped(const std::function<QString(const QString&)>& group) const;

    // Bytes held, text and tables, for the benchmarks.
    qint64 memoryUse() const;

    struct Data;

private:
    Data& write();

    std::shared_ptr<Data> d_;
};
