// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LinkImport.h"

#include "CsvRecords.h"
#include "ExportLayout.h"
#include "platform/Iconv.h"

#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <array>
#include <boost/unordered/unordered_flat_set.hpp>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype chunkSize = 1 << 20;
// Rows looked at before the column of the linking pages is chosen.
constexpr qsizetype sampleRows = 64;

struct Address {
    // The host, a part of the address where that is already its own host, which spares a
    // copy for most.
    QStringView host() const { return owned.isNull() ? part : QStringView(owned); }
    QStringView part;
    QString owned;
    bool web = false; // http or https
};

Address readAddress(QStringView text)
{
    // The scheme, then "//" and the authority; anything else has no host of its own.
    qsizetype i = 0;
    while (i < text.size() && i < 32 &&
           (text[i].isLetterOrNumber() || text[i] == u'+' || text[i] == u'-' || text[i] == u'.'))
        ++i;
    if (i == 0 || !text[0].isLetter() || i + 3 > text.size() || text[i] != u':' ||
        text[i + 1] != u'/' || text[i + 2] != u'/')
        return {};
    auto is = [&](qsizetype k, char16_t lower) { return (text[k].unicode() | 0x20) == lower; };
    const bool web = (i == 4 || (i == 5 && is(4, u's'))) && is(0, u'h') && is(1, u't') &&
                     is(2, u't') && is(3, u'p');
    qsizetype end = i + 3;
    while (end < text.size() && text[end] != u'/' && text[end] != u'?' && text[end] != u'#' &&
           text[end] != u'\\')
        ++end;
    QStringView host = text.sliced(i + 3, end - i - 3);
    if (const qsizetype at = host.lastIndexOf(u'@'); at >= 0)
        host = host.sliced(at + 1);
    bool plain = !host.startsWith(u'[');
    bool upper = false;
    if (const qsizetype colon = host.lastIndexOf(u':'); plain && colon >= 0) {
        for (QChar c : host.sliced(colon + 1))
            plain = plain && c.isDigit() && c.unicode() < 128;
        host = host.first(colon);
    }
    // Most hosts are plain ASCII names, read here as a browser reads them; the rest (names in
    // other scripts, escapes, IPv6) go through QUrl.
    for (QChar c : host) {
        plain = plain && c.unicode() < 128 &&
                (c.isLetterOrNumber() || c == u'-' || c == u'.' || c == u'_');
        upper = upper || (c >= u'A' && c <= u'Z');
    }
    if (plain && !upper)
        return {host, {}, web && !host.isEmpty()};
    if (plain)
        return {{}, host.toString().toLower(), web && !host.isEmpty()};
    const QUrl url(text.toString(), QUrl::TolerantMode);
    const QString urlHost = url.isValid() ? url.host() : QString();
    return {{}, urlHost.isNull() ? u""_qs : urlHost, web && !urlHost.isEmpty()};
}

// The host of a trimmed UTF-8 address as readAddress() reads it, without a QString for the
// plain ASCII names of nearly every export: a part of `text`, or `scratch` holding it folded to
// lower case. Anything else goes through readAddress().
struct AddressBytes {
    QByteArrayView host;
    bool web = false;
};
AddressBytes readAddress(QByteArrayView text, QByteArray& scratch)
{
    auto slow = [&] {
        const Address address = readAddress(QString::fromUtf8(text));
        scratch = address.host().toUtf8();
        return AddressBytes{scratch, address.web};
    };
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    qsizetype i = 0;
    while (
        i < text.size() && i < 32 &&
        (letter(text[i]) || digit(text[i]) || text[i] == '+' || text[i] == '-' || text[i] == '.'))
        ++i;
    if (i < text.size() && i < 32 && quint8(text[i]) >= 0x80)
        return slow(); // a scheme of other letters
    if (i == 0 || !letter(text[0]) || i + 3 > text.size() || text[i] != ':' || text[i + 1] != '/' ||
        text[i + 2] != '/')
        return {};
    auto is = [&](qsizetype k, char lower) { return (text[k] | 0x20) == lower; };
    const bool web =
        (i == 4 || (i == 5 && is(4, 's'))) && is(0, 'h') && is(1, 't') && is(2, 't') && is(3, 'p');
    qsizetype end = i + 3;
    while (end < text.size() && text[end] != '/' && text[end] != '?' && text[end] != '#' &&
           text[end] != '\\')
        ++end;
    QByteArrayView host = text.sliced(i + 3, end - i - 3);
    if (const qsizetype at = host.lastIndexOf('@'); at >= 0)
        host = host.sliced(at + 1);
    if (host.startsWith('['))
        return slow();
    if (const qsizetype colon = host.lastIndexOf(':'); colon >= 0) {
        for (char c : host.sliced(colon + 1))
            if (!digit(c))
                return slow();
        host = host.first(colon);
    }
    bool upper = false;
    for (char c : host) {
        if (!(letter(c) || digit(c) || c == '-' || c == '.' || c == '_'))
            return slow();
        upper = upper || (c >= 'A' && c <= 'Z');
    }
    if (upper) {
        scratch = host.toByteArray().toLower();
        host = scratch;
    }
    return {host, web && !host.isEmpty()};
}

// The addresses met so far, each as its number in the tally, which holds its text, and its hash,
// so that growing the table reads no address again.
class SeenLinks {
public:
    explicit SeenLinks(const HostTally& tally) : links_(0, Hash(), Equal{&tally}) {}

    // Whether `link` is not among those met, with its hash for insert(), which remembers it.
    bool isNew(QByteArrayView link, quint32& hash) const
    {
        hash = quint32(qHash(link, 0));
        return !links_.contains(Key{hash, link});
    }
    void insert(quint32 hash, qsizetype number) { links_.insert({hash, quint32(number)}); }

private:
    // Eight bytes a link: a 32-bit hash, which the table mixes further, and the link's number.
    struct Met {
        quint32 hash;
        quint32 number;
    };
    struct Key {
        quint32 hash;
        QByteArrayView text;
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(const Met& met) const { return met.hash; }
        std::size_t operator()(const Key& key) const { return key.hash; }
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(const Met& a, const Met& b) const { return a.number == b.number; }
        bool operator()(const Key& key, const Met& met) const
        {
            return key.hash == met.hash && tally->linkUtf8At(met.number) == key.text;
        }
        bool operator()(const Met& met, const Key& key) const { return (*this)(key, met); }
        const HostTally* tally;
    };
    boost::unordered_flat_set<Met, Hash, Equal> links_;
};

// One import: the tally, the addresses already met, and the file being read.
class Reader {
public:
    Reader(ImportResult& result, const ImportProgress& progress, qint64 total)
        : result_(result), progress_(progress), total_(total)
    {
    }
    void read(const QString& path);
    void finish() {}

private:
    enum class Encoding { Utf8, Utf16Le, Utf16Be, Gb18030 };
    std::optional<Encoding> sniff(QFile& file, QString& reason);
    // The cells of a row that the layout names, in UTF-8.
    struct Row {
        QByteArrayView link, target, anchor, rel, count;
    };
    void take(CsvRecords& records);
    void chooseLayout();
    void add(const Row& row);
    // Reads at most what is left of the file's size at the start; 0 at the end or when cancelled.
    qint64 readSome(QFile& file, char* buffer)
    {
        if (cancelled_ && cancelled_()) {
            stopped_ = true;
            return 0;
        }
        const qint64 got = file.read(buffer, std::min<qint64>(chunkSize, left_));
        left_ -= std::max<qint64>(got, 0);
        return got;
    }
    void problem(const QString& path, const QString& reason)
    {
        result_.problems.append({path, reason});
    }

    ImportResult& result_;
    const ImportProgress& progress_;
    qint64 total_;
    qint64 done_ = 0;
    SeenLinks seen_{result_.tally};

    // A domain's count as the files of referring domains give it, the largest where several do.
    QHash<qsizetype, qint64> domainCounts_;

    // The file being read
    std::optional<ExportLayout> layout_;
    QList<QStringList> sample_;
    qsizetype addresses_ = 0;
    qsizetype otherKinds_ = 0;  // addresses that are no web page
    QByteArray trimmed_, host_; // scratch for the few addresses that need a copy
    qint64 left_ = 0;           // bytes of the file not read yet
    ImportCancelled cancelled_;
    bool stopped_ = false;

public:
    void setCancelled(const ImportCancelled& cancelled) { cancelled_ = cancelled; }
    bool stopped() const { return stopped_; }
};

// Encodings with a byte order mark say so. Without one the file is UTF-8 when every byte of it
// is, and GB18030 (what Chinese Windows writes) otherwise; that takes a look at the whole file
// before the first row is read, as a row once tallied cannot be taken back.
std::optional<Reader::Encoding> Reader::sniff(QFile& file, QString& reason)
{
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    const qint64 first = file.peek(buffer.data(), 3);
    if (first >= 2 && buffer.startsWith("\xFF\xFE"))
        return Encoding::Utf16Le;
    if (first >= 2 && buffer.startsWith("\xFE\xFF"))
        return Encoding::Utf16Be;
    bool utf8 = true;
    int need = 0;                          // continuation bytes still due
    unsigned char low = 0x80, high = 0xBF; // the range of the next one
    for (;;) {
        const qint64 got = readSome(file, buffer.data());
        if (got < 0) {
            reason = file.errorString();
            return std::nullopt;
        }
        if (got == 0)
            break;
        const auto* p = reinterpret_cast<const unsigned char*>(buffer.constData());
        if (std::memchr(p, 0, std::size_t(got))) {
            reason = QStringLiteral("它不是文本文件。");
            return std::nullopt;
        }
        for (qint64 k = 0; utf8 && k < got; ++k) {
            // Runs of ASCII, most of any export, eight bytes at a time.
            for (quint64 word; need == 0 && k + 8 <= got; k += 8) {
                std::memcpy(&word, p + k, 8);
                if (word & 0x8080808080808080u)
                    break;
            }
            if (k == got)
                break;
            const unsigned char b = p[k];
            if (need > 0) {
                utf8 = b >= low && b <= high;
                --need;
                low = 0x80;
                high = 0xBF;
            } else if (b >= 0xC2 && b <= 0xDF) {
                need = 1;
            } else if (b >= 0xE0 && b <= 0xEF) {
                need = 2;
                low = b == 0xE0 ? 0xA0 : 0x80;
                high = b == 0xED ? 0x9F : 0xBF;
            } else if (b >= 0xF0 && b <= 0xF4) {
                need = 3;
                low = b == 0xF0 ? 0x90 : 0x80;
                high = b == 0xF4 ? 0x8F : 0xBF;
            } else {
                utf8 = b < 0x80;
            }
        }
    }
    left_ += file.pos();
    if (!file.seek(0)) {
        reason = file.errorString();
        return std::nullopt;
    }
    return utf8 && need == 0 ? Encoding::Utf8 : Encoding::Gb18030;
}

// Opens `path` for reading when it is a regular file, and tells its size then. Opening does not
// wait: a pipe with no writer would block open() for ever. What is checked is what was opened,
// not the name, which another program may point elsewhere meanwhile.
std::optional<qint64> openRegular(QFile& file, const QString& path, QString& reason)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        reason = qt_error_string(errno);
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // Qt's own words for a folder are English; the system gives none, as opening one
        // succeeds.
        reason = S_ISDIR(st.st_mode) ? QStringLiteral("它是文件夹,不是文件。")
                 : S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)
                     ? QStringLiteral("它是管道或套接字,不是普通文件。")
                     : QStringLiteral("它是设备,不是文本文件。");
        ::close(fd);
        return std::nullopt;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        reason = file.errorString();
        ::close(fd);
        return std::nullopt;
    }
    return qint64(st.st_size);
}

void Reader::read(const QString& path)
{
    QFile file;
    QString reason;
    const qint64 listed = QFileInfo(path).size();
    const std::optional<qint64> opened = openRegular(file, path, reason);
    if (!opened) {
        problem(path, reason);
        done_ += listed;
        return;
    }
    // What is read is what the file held when the import began: one that grows meanwhile (a
    // log, a download) would otherwise be read for as long as it grows.
    const qint64 size = *opened;
    left_ = size;
    const std::optional<Encoding> encoding = sniff(file, reason);
    if (!encoding) {
        problem(path, reason);
        done_ += size;
        return;
    }
    QStringDecoder decoder(*encoding == Encoding::Utf16Le ? QStringConverter::Utf16LE
                                                          : QStringConverter::Utf16BE);
    Iconv gb18030(Iconv::utf16Name(), "GB18030");
    layout_.reset();
    sample_.clear();
    addresses_ = 0;
    otherKinds_ = 0;
    std::optional<CsvRecords> records;
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    QByteArray pending; // GB18030 bytes after the last line feed, decoded with the next piece
    QString highHalf;   // a UTF-16 character's first half, decoded with the next piece
    QByteArray head;    // the text before the end of the first line is known
    const qint64 start = done_;
    bool error = false;
    for (bool end = false; !end;) {
        const qint64 got = readSome(file, buffer.data());
        if (got < 0) {
            reason = file.errorString();
            error = true;
        }
        end = got <= 0;
        // Rows are split as UTF-8, which most exports are already.
        QByteArray utf8;
        QByteArrayView text(buffer.constData(), end ? 0 : got);
        if (*encoding == Encoding::Utf16Le || *encoding == Encoding::Utf16Be) {
            // A character of two UTF-16 units may straddle two pieces: its first half waits
            // for the second, as alone it would become a "?".
            QString units = highHalf + QString(decoder.decode(text));
            highHalf.clear();
            if (!end && !units.isEmpty() && units.back().isHighSurrogate())
                highHalf = units.sliced(units.size() - 1), units.chop(1);
            utf8 = units.toUtf8();
            text = utf8;
        } else if (*encoding == Encoding::Gb18030) {
            // A line feed is never part of a GB18030 character, so text decoded up to one is
            // whole.
            pending.append(text);
            const qsizetype cut = end || pending.size() > 4 * chunkSize
                                      ? pending.size()
                                      : pending.lastIndexOf('\n') + 1;
            utf8 = gb18030.decode(QByteArrayView(pending).first(cut)).toUtf8();
            pending.remove(0, cut);
            text = utf8;
        }
        if (!records) {
            // The first line is needed whole to tell the delimiter.
            head.append(text);
            text = head;
            if (!end && text.size() <= CsvRecords::maxRecord && !text.contains('\n') &&
                !text.contains('\r'))
                continue;
            if (text.startsWith("\xEF\xBB\xBF"))
                text = text.sliced(3);
            // The delimiter is the one the first line uses most, outside quotes.
            std::array<qsizetype, 3> counts{};
            const std::array<char, 3> delimiters{'\t', ',', ';'};
            bool quoted = false;
            for (char c : text) {
                if (c == '"')
                    quoted = !quoted;
                else if (!quoted && (c == '\n' || c == '\r'))
                    break;
                for (std::size_t d = 0; !quoted && d < delimiters.size(); ++d)
                    counts[d] += c == delimiters[d];
            }
            const auto most = std::max_element(counts.begin(), counts.end());
            records.emplace(*most > 0 ? delimiters[most - counts.begin()] : '\0');
        }
        records->feed(text);
        head.clear();
        if (end)
            records->finish();
        take(*records);
        if (!end) {
            done_ = std::min(start + file.pos(), total_);
            if (progress_)
                progress_(done_, total_);
        }
    }
    if (stopped_)
        return;
    if (!layout_)
        chooseLayout();
    done_ = start + size;
    if (error)
        problem(path, reason);
    else if (layout_->kind == ExportLayout::Kind::Targets)
        problem(path,
                QStringLiteral("它列出的是本站自己的网页(被链接的页面),不是链接到本站的网页。"));
    else if (addresses_ == 0 && otherKinds_ > 0)
        problem(path, QStringLiteral("其中的地址都不是网页(http、https)。"));
    else if (addresses_ == 0)
        problem(path, QStringLiteral("其中没有网址。"));
}

void Reader::take(CsvRecords& records)
{
    std::array<QByteArray, 5> scratch;
    while (records.next()) {
        if (layout_) {
            const ExportLayout& l = *layout_;
            auto cell = [&](qsizetype c, QByteArray& s) {
                return c < 0 ? QByteArrayView() : records.field(c, s);
            };
            if (l.kind != ExportLayout::Kind::Targets)
                add({cell(l.link, scratch[0]), cell(l.target, scratch[1]),
                     cell(l.anchor, scratch[2]), cell(l.rel, scratch[3]),
                     cell(l.count, scratch[4])});
            continue;
        }
        QStringList cells;
        for (qsizetype i = 0; i < records.fieldCount(); ++i)
            cells.append(QString::fromUtf8(records.field(i, scratch[0])));
        sample_.append(cells);
        if (sample_.size() == sampleRows)
            chooseLayout();
    }
}

void Reader::chooseLayout()
{
    const ExportLayout& l = *(layout_ = recognizeLayout(sample_));
    result_.anchors = result_.anchors || l.anchor >= 0;
    result_.targets = result_.targets || l.target >= 0;
    result_.rels = result_.rels || l.rel >= 0;
    for (qsizetype r = l.header ? 1 : 0;
         r < sample_.size() && l.kind != ExportLayout::Kind::Targets; ++r) {
        std::array<QByteArray, 5> cells;
        for (auto [c, cell] : {std::pair{l.link, &cells[0]},
                               {l.target, &cells[1]},
                               {l.anchor, &cells[2]},
                               {l.rel, &cells[3]},
                               {l.count, &cells[4]}})
            *cell = c < 0 ? QByteArray() : sample_[r].value(c).toUtf8();
        add({cells[0], cells[1], cells[2], cells[3], cells[4]});
    }
    sample_.clear();
}

// What an export says of a link beside its address, trimmed and cut to a length a user reads.
QByteArrayView bounded(QByteArrayView text)
{
    text = text.trimmed();
    constexpr qsizetype most = 2048;
    if (text.size() <= most)
        return text;
    qsizetype end = most;
    while (end > 0 && (uchar(text[end]) & 0xC0) == 0x80) // not inside a character
        --end;
    return text.first(end);
}

void Reader::add(const Row& row)
{
    HostTally& tally = result_.tally;
    if (layout_->kind == ExportLayout::Kind::Domains) {
        const QString domain = bareDomain(QString::fromUtf8(row.link).trimmed());
        if (domain.isEmpty())
            return;
        ++addresses_;
        const qsizetype host = tally.addHost(domain.toUtf8());
        qint64& count = domainCounts_[host];
        count =
            std::max(count, layout_->count < 0 ? 1 : domainLinkCount(QString::fromUtf8(row.count)));
        tally.setCount(host, count);
        return;
    }
    QByteArrayView link = row.link.trimmed();
    // Spaces of other scripts (U+3000, U+00A0) are trimmed too, as Qt trims them.
    if (!link.isEmpty() && (quint8(link.front()) >= 0x80 || quint8(link.back()) >= 0x80)) {
        trimmed_ = QString::fromUtf8(link).trimmed().toUtf8();
        link = trimmed_;
    }
    const AddressBytes address = readAddress(link, host_);
    if (address.host.isEmpty())
        return;
    if (!address.web) {
        ++otherKinds_;
        return;
    }
    ++addresses_;
    quint32 hash = 0;
    if (!seen_.isNew(link, hash))
        return;
    QByteArrayView rel = bounded(row.rel);
    if (layout_->rel >= 0 && layout_->relMeans != ExportLayout::Rel::Words)
        rel = isNofollow(layout_->relMeans, QString::fromUtf8(rel)) ? "nofollow" : "";
    tally.addLink(tally.addHost(address.host), link,
                  {bounded(row.anchor), bounded(row.target), rel});
    seen_.insert(hash, tally.linkCount() - 1);
}

} // namespace

QString importedLinkHost(QStringView address)
{
    return readAddress(address).host().toString();
}

ImportResult importLinkExports(const QStringList& paths, const ImportProgress& progress,
                               const ImportCancelled& cancelled)
{
    qint64 total = 0;
    for (const QString& path : paths)
        total += QFileInfo(path).size();
    ImportResult result;
    Reader reader(result, progress, total);
    reader.setCancelled(cancelled);
    for (const QString& path : paths) {
        reader.read(path);
        if (reader.stopped())
            return {};
    }
    reader.finish();
    // Each host's list is found here, on the reader's thread, rather than on the window's when
    // it first shows a count.
    if (result.tally.hostCount() > 0)
        result.tally.linkCount(0);
    if (progress)
        progress(total, total);
    return result;
}
