// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HostTally.h"

#include <QHashFunctions>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <atomic>
#include <boost/unordered/unordered_flat_map.hpp>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Text appended in blocks that never move, so a view into one stays valid while more is added.
// Blocks start small (a run holds a few kilobytes) and double up to 16 MiB; a place is the block,
// the offset in it and the size, in 64 bits.
class TextBlocks {
public:
    using Ref = quint64;
    static constexpr qsizetype maxSize = (1 << 24) - 1;

    TextBlocks() = default;
    TextBlocks(const TextBlocks& other) { *this = other; }
    TextBlocks& operator=(const TextBlocks& other)
    {
        if (this == &other)
            return *this;
        blocks_.clear();
        for (const Block& block : other.blocks_) {
            blocks_.push_back({std::make_unique_for_overwrite<char[]>(std::size_t(block.capacity)),
                               block.capacity, block.used});
            std::memcpy(blocks_.back().text.get(), block.text.get(), std::size_t(block.used));
        }
        bytes_ = other.bytes_;
        return *this;
    }

    // Room for `size` bytes at the end; commit() then takes as many of them as were written.
    char* room(qsizetype size)
    {
        if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < size) {
            qsizetype capacity = blocks_.empty() ? 4096 : blocks_.back().capacity;
            while (capacity < size && capacity <= maxSize / 2)
                capacity *= 2;
            capacity = std::min<qsizetype>(2 * capacity, maxSize + 1);
            blocks_.push_back(
                {std::make_unique_for_overwrite<char[]>(std::size_t(capacity)), capacity, 0});
            bytes_ += capacity;
        }
        Block& block = blocks_.back();
        return block.text.get() + block.used;
    }
    Ref commit(qsizetype size)
    {
        Block& block = blocks_.back();
        const Ref ref = (Ref(blocks_.size() - 1) << 48) | (Ref(block.used) << 24) | Ref(size);
        block.used += size;
        return ref;
    }
    Ref append(QByteArrayView text)
    {
        // Longer than a block: cut at a character's start, so what is kept is still UTF-8.
        qsizetype size = std::min(text.size(), maxSize);
        while (size < text.size() && size > 0 && (quint8(text[size]) & 0xC0) == 0x80)
            --size;
        // An empty view may carry no data pointer at all, which memcpy may not be given.
        char* out = room(size);
        if (size > 0)
            std::memcpy(out, text.data(), std::size_t(size));
        return commit(size);
    }
    // UTF-16 to UTF-8, straight into the block.
    Ref append(QStringView text)
    {
        const qsizetype size = text.size();
        if (3 * size > maxSize)
            return append(QByteArrayView(text.toUtf8()));
        char* out = room(3 * size);
        QStringEncoder encoder(QStringEncoder::Utf8);
        return commit(encoder.appendToBuffer(out, text) - out);
    }
    std::string_view view(Ref ref) const
    {
        return {blocks_[std::size_t(ref >> 48)].text.get() + ((ref >> 24) & 0xFFFFFF),
                std::size_t(ref & 0xFFFFFF)};
    }
    qint64 bytes() const { return bytes_; }

private:
    struct Block {
        std::unique_ptr<char[]> text;
        qsizetype capacity;
        qsizetype used;
    };
    std::vector<Block> blocks_;
    qint64 bytes_ = 0;
};

QByteArrayView bytes(std::string_view text)
{
    return {text.data(), qsizetype(text.size())};
}

// The links' text and fields, in the order added. Shared by a tally, its copies and the tallies
// grouped from it, each of which reads the first of them, as many as it holds.
struct LinkStore {
    TextBlocks text;
    std::vector<TextBlocks::Ref> links;
    // An anchor, a target and a rel a link; empty until some link carries one.
    std::vector<std::array<TextBlocks::Ref, 3>> fields;
};

} // namespace

struct HostTally::Data {
    Data() = default;
    Data(const Data& other)
        : links(other.links), hostText(other.hostText), hostNames(other.hostNames),
          linkHost(other.linkHost), counts(other.counts)
    {
        index.reserve(hostNames.size());
        for (std::size_t h = 0; h < hostNames.size(); ++h)
            index.emplace(hostText.view(hostNames[h]), quint32(h));
    }

    std::shared_ptr<LinkStore> links = std::make_shared<LinkStore>();
    TextBlocks hostText;
    std::vector<TextBlocks::Ref> hostNames;
    // Qt's string hash, which reads many bytes a step; Boost's own for strings reads one.
    struct NameHash {
        std::size_t operator()(std::string_view name) const
        {
            return qHash(QByteArrayView(name.data(), qsizetype(name.size())), 0);
        }
    };
    boost::unordered_flat_map<std::string_view, quint32, NameHash> index;
    std::vector<quint32> linkHost; // the host of each link, in the order found
    std::vector<qint64> counts;    // the counts files gave, -1 for none; empty when none gave any
    std::string scratch;

    // Each host's links, found from linkHost when first asked: the numbers of the links of host h
    // are byHost[first[h]] to byHost[first[h + 1]].
    void order() const
    {
        if (ordered.load(std::memory_order_acquire))
            return;
        const std::lock_guard lock(ordering);
        if (ordered.load(std::memory_order_relaxed))
            return;
        first.assign(hostNames.size() + 1, 0);
        for (const quint32 h : linkHost)
            ++first[h + 1];
        for (std::size_t h = 0; h < hostNames.size(); ++h)
            first[h + 1] += first[h];
        byHost.resize(linkHost.size());
        std::vector<quint32> next(first.begin(), first.end() - 1);
        for (std::size_t n = 0; n < linkHost.size(); ++n)
            byHost[next[linkHost[n]]++] = quint32(n);
        ordered.store(true, std::memory_order_release);
    }
    void changed() { ordered.store(false, std::memory_order_relaxed); }
    quint32 linkOf(qsizetype host, qsizetype i) const
    {
        order();
        return byHost[first[std::size_t(host)] + std::size_t(i)];
    }
    LinkStore& ownLinks()
    {
        // Another tally reads the same text: this one takes its own copy of what it holds before
        // adding, so the other sees no change.
        if (links.use_count() > 1 || links->links.size() != linkHost.size()) {
            auto own = std::make_shared<LinkStore>();
            own->text = links->text;
            own->links.assign(links->links.begin(),
                              links->links.begin() + qsizetype(linkHost.size()));
            if (!links->fields.empty())
                own->fields.assign(links->fields.begin(),
                                   links->fields.begin() + qsizetype(linkHost.size()));
            links = std::move(own);
        }
        return *links;
    }
    qsizetype addHost(std::string_view name, const std::function<TextBlocks::Ref()>& store)
    {
        const auto found = index.find(name);
        if (found != index.end())
            return found->second;
        const TextBlocks::Ref ref = store();
        hostNames.push_back(ref);
        index.emplace(hostText.view(ref), quint32(hostNames.size() - 1));
        if (!counts.empty())
            counts.push_back(-1);
        changed();
        return qsizetype(hostNames.size() - 1);
    }
    void addLink(qsizetype host, TextBlocks::Ref ref)
    {
        links->links.push_back(ref);
        if (!links->fields.empty())
            links->fields.push_back({});
        linkHost.push_back(quint32(host));
        changed();
    }

    mutable std::atomic<bool> ordered = false;
    mutable std::mutex ordering;
    mutable std::vector<quint32> first, byHost;
};

HostTally::HostTally() : d_(std::make_shared<Data>()) {}
HostTally::~HostTally() = default;
HostTally::HostTally(const HostTally&) = default;
HostTally::HostTally(HostTally&& other) noexcept : d_(std::move(other.d_))
{
    other.d_ = std::make_shared<Data>();
}
HostTally& HostTally::operator=(const HostTally&) = default;
HostTally& HostTally::operator=(HostTally&& other) noexcept
{
    std::swap(d_, other.d_);
    return *this;
}

HostTally::Data& HostTally::write()
{
    if (d_.use_count() > 1)
        d_ = std::make_shared<Data>(*d_);
    return *d_;
}

void HostTally::add(QStringView host, QStringView link)
{
    Data& d = write();
    LinkStore& store = d.ownLinks();
    // The name is looked up as UTF-8, in a buffer kept for it: a run adds a link at a time.
    d.scratch.resize(std::size_t(3 * host.size()));
    QStringEncoder encoder(QStringEncoder::Utf8);
    const qsizetype size = encoder.appendToBuffer(d.scratch.data(), host) - d.scratch.data();
    const std::string_view name(d.scratch.data(), std::size_t(size));
    const qsizetype h = d.addHost(name, [&] { return d.hostText.append(bytes(name)); });
    d.addLink(h, store.text.append(link));
}

qsizetype HostTally::addHost(QByteArrayView host)
{
    Data& d = write();
    const std::string_view name(host.data(), std::size_t(host.size()));
    return d.addHost(name, [&] { return d.hostText.append(host); });
}

void HostTally::addLink(qsizetype host, QByteArrayView link, const LinkFields& fields)
{
    Data& d = write();
    LinkStore& store = d.ownLinks();
    d.addLink(host, store.text.append(link));
    if (fields.anchor.isEmpty() && fields.target.isEmpty() && fields.rel.isEmpty())
        return;
    if (store.fields.empty())
        store.fields.resize(store.links.size());
    store.fields.back() = {store.text.append(fields.anchor), store.text.append(fields.target),
                           store.text.append(fields.rel)};
}

void HostTally::setCount(qsizetype host, qint64 count)
{
    Data& d = write();
    if (d.counts.empty())
        d.counts.assign(d.hostNames.size(), -1);
    d.counts[std::size_t(host)] = count;
}

qsizetype HostTally::hostCount() const
{
    return qsizetype(d_->hostNames.size());
}

QString HostTally::host(qsizetype host) const
{
    return QString::fromUtf8(hostUtf8(host));
}

QByteArrayView HostTally::hostUtf8(qsizetype host) const
{
    return bytes(d_->hostText.view(d_->hostNames[std::size_t(host)]));
}

qsizetype HostTally::indexOf(QStringView name) const
{
    const QByteArray utf8 = name.toUtf8();
    const auto found = d_->index.find(std::string_view(utf8.data(), std::size_t(utf8.size())));
    return found == d_->index.end() ? -1 : qsizetype(found->second);
}

qint64 HostTally::count(qsizetype host) const
{
    const qint64 links = linkCount(host);
    return d_->counts.empty() ? links : std::max(d_->counts[std::size_t(host)], links);
}

qsizetype HostTally::linkCount(qsizetype host) const
{
    d_->order();
    return qsizetype(d_->first[std::size_t(host) + 1] - d_->first[std::size_t(host)]);
}

QString HostTally::link(qsizetype host, qsizetype i) const
{
    return QString::fromUtf8(linkUtf8(host, i));
}

QByteArrayView HostTally::linkUtf8(qsizetype host, qsizetype i) const
{
    return linkUtf8At(d_->linkOf(host, i));
}

QString HostTally::field(qsizetype host, qsizetype i, Field field) const
{
    const LinkStore& store = *d_->links;
    if (store.fields.empty())
        return {};
    const auto& refs = store.fields[d_->linkOf(host, i)];
    return QString::fromUtf8(bytes(store.text.view(refs[std::size_t(field)])));
}

QStringList HostTally::links(qsizetype host) const
{
    QStringList list;
    if (host < 0)
        return list;
    const qsizetype n = linkCount(host);
    list.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        list.append(link(host, i));
    return list;
}

qsizetype HostTally::linkCount() const
{
    return qsizetype(d_->linkHost.size());
}

qsizetype HostTally::hostOfLink(qsizetype n) const
{
    return d_->linkHost[std::size_t(n)];
}

QByteArrayView HostTally::linkUtf8At(qsizetype n) const
{
    return bytes(d_->links->text.view(d_->links->links[std::size_t(n)]));
}

QString HostTally::linkAt(qsizetype n) const
{
    return QString::fromUtf8(linkUtf8At(n));
}

bool HostTally::hasFields() const
{
    return !d_->links->fields.empty();
}

QByteArrayView HostTally::fieldUtf8At(qsizetype n, Field field) const
{
    const LinkStore& store = *d_->links;
    if (store.fields.empty())
        return {};
    return bytes(store.text.view(store.fields[std::size_t(n)][std::size_t(field)]));
}

HostTally HostTally::filtered(const std::function<bool(qsizetype n)>& keep) const
{
    const Data& d = *d_;
    std::vector<bool> kept(d.linkHost.size());
    std::vector<bool> shown(d.hostNames.size());
    for (std::size_t n = 0; n < kept.size(); ++n)
        if ((kept[n] = keep(qsizetype(n))))
            shown[d.linkHost[n]] = true;
    HostTally result;
    std::vector<qsizetype> to(shown.size(), -1);
    for (std::size_t h = 0; h < shown.size(); ++h) {
        const bool counted = !d.counts.empty() && d.counts[h] >= 0;
        if (!shown[h] && !counted)
            continue;
        to[h] = result.addHost(hostUtf8(qsizetype(h)));
        if (counted)
            result.setCount(to[h], d.counts[h]);
    }
    for (std::size_t n = 0; n < kept.size(); ++n) {
        if (!kept[n])
            continue;
        const qsizetype i = qsizetype(n);
        result.addLink(to[d.linkHost[n]], linkUtf8At(i),
                       {fieldUtf8At(i, Field::Anchor), fieldUtf8At(i, Field::Target),
                        fieldUtf8At(i, Field::Rel)});
    }
    return result;
}

HostTally HostTally::grouped(const std::function<QString(const QString&)>& group) const
{
    HostTally result;
    Data& r = *result.d_;
    r.links = d_->links;
    std::vector<quint32> groupOf(d_->hostNames.size());
    for (std::size_t h = 0; h < groupOf.size(); ++h)
        groupOf[h] = quint32(result.addHost(group(host(qsizetype(h))).toUtf8()));
    r.linkHost.reserve(d_->linkHost.size());
    for (const quint32 h : d_->linkHost)
        r.linkHost.push_back(groupOf[h]);
    if (!d_->counts.empty()) {
        r.counts.assign(r.hostNames.size(), 0);
        for (std::size_t h = 0; h < groupOf.size(); ++h)
            r.counts[groupOf[h]] += count(qsizetype(h));
    }
    r.changed();
    return result;
}

qint64 HostTally::memoryUse() const
{
    const Data& d = *d_;
    const LinkStore& store = *d.links;
    return d.hostText.bytes() + store.text.bytes() +
           qint64(store.links.capacity() * sizeof(TextBlocks::Ref) +
                  store.fields.capacity() * sizeof(store.fields[0]) +
                  d.hostNames.capacity() * sizeof(TextBlocks::Ref) +
                  d.linkHost.capacity() * sizeof(quint32) + d.counts.capacity() * sizeof(qint64) +
                  d.byHost.capacity() * sizeof(quint32) + d.first.capacity() * sizeof(quint32) +
                  d.index.bucket_count() * (sizeof(std::string_view) + sizeof(quint32) + 1));
}
