// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DisavowFile.h"

#include "platform/SafeSave.h"

#include <QFile>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString domainPrefix = QStringLiteral("domain:");

// A file a user keeps by hand is far below this; a larger one is not a disavow file.
constexpr qint64 maxReadBytes = 16 * 1024 * 1024;

bool isControl(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Other_Format ||
           category == QChar::Separator_Line || category == QChar::Separator_Paragraph;
}

// The host in its ASCII form, lower case, or empty when `text` is no host name: labels of
// letters, digits, "-" and "_", none empty, as DNS allows their lengths.
QString aceHost(const QString& text)
{
    for (QChar c : text)
        if (c.isSpace() || isControl(c))
            return {};
    const QByteArray ace = QUrl::toAce(text);
    if (ace.isEmpty() || ace.size() > 253)
        return {};
    for (const QByteArray& label : ace.split('.')) {
        if (label.isEmpty() || label.size() > 63)
            return {};
        for (char c : label)
            if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
                return {};
    }
    return QString::fromLatin1(ace);
}

bool startsWithWebScheme(QStringView text)
{
    return text.startsWith(u"http://", Qt::CaseInsensitive) ||
           text.startsWith(u"https://", Qt::CaseInsensitive);
}

struct Classified {
    enum Kind { Blank, Comment, Entry, Refused } kind;
    QString entry;
    DisavowProblem problem = DisavowProblem::None;
};

Classified classify(QStringView raw)
{
    const QStringView line = raw.trimmed();
    if (line.isEmpty())
        return {Classified::Blank, {}};
    if (line.startsWith(u'#'))
        return {Classified::Comment, {}};
    auto refused = [](DisavowProblem problem) {
        return Classified{Classified::Refused, {}, problem};
    };
    if (line.startsWith(domainPrefix, Qt::CaseInsensitive)) {
        const QStringView rest = line.mid(domainPrefix.size());
        if (!rest.isEmpty() && rest.front().isSpace())
            return refused(DisavowProblem::SpaceAfterDomain);
        if (rest.contains(u'/') || rest.contains(u'?') || rest.contains(u'#'))
            return refused(DisavowProblem::PathInDomain);
        const QString host = aceHost(rest.toString());
        if (host.isEmpty())
            return refused(DisavowProblem::NotAHost);
        return {Classified::Entry, domainPrefix + host};
    }
    if (startsWithWebScheme(line)) {
        if (line.size() > disavowMaxUrlLength)
            return refused(DisavowProblem::UrlTooLong);
        const QString entry = disavowUrlEntry(line.toString());
        if (entry.isEmpty())
            return refused(DisavowProblem::Unknown);
        if (entry.size() > disavowMaxUrlLength)
            return refused(DisavowProblem::UrlTooLong);
        return {Classified::Entry, entry};
    }
    return refused(DisavowProblem::Unknown);
}

// The host of an entry, or empty for an address whose host cannot be read.
QString hostOf(const QString& entry)
{
    if (entry.startsWith(domainPrefix))
        return entry.mid(domainPrefix.size());
    return QUrl(entry).host(QUrl::FullyEncoded);
}

// The line break the file uses: that of its first line, or LF for a file of one line or none.
QString lineBreakOf(const QString& text)
{
    const qsizetype lf = text.indexOf(u'\n');
    return lf > 0 && text[lf - 1] == u'\r' ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

qsizetype lineCount(const QString& text)
{
    return text.count(u'\n') + (!text.isEmpty() && !text.endsWith(u'\n') ? 1 : 0);
}

QString systemError(int error)
{
    return qt_error_string(error);
}

} // namespace

QString disavowDomainEntry(const QString& host)
{
    QString name = host.mid(host.lastIndexOf(u'@') + 1);
    if (const qsizetype port = name.indexOf(u':'); port >= 0)
        name.truncate(port);
    const QString ace = aceHost(name);
    return ace.isEmpty() ? QString() : domainPrefix + ace;
}

QString disavowUrlEntry(const QString& url)
{
    if (!startsWithWebScheme(url))
        return {};
    for (QChar c : url)
        if (isControl(c))
            return {};
    const QUrl parsed(url, QUrl::TolerantMode);
    if (!parsed.isValid() || aceHost(parsed.host()).isEmpty())
        return {};
    return parsed.toString(QUrl::FullyEncoded);
}

QString disavowProblemText(DisavowProblem problem)
{
    switch (problem) {
    case DisavowProblem::None:
        break;
    case DisavowProblem::SpaceAfterDomain:
        return QStringLiteral("domain: 后面不能有空格");
    case DisavowProblem::PathInDomain:
        return QStringLiteral("domain: 后面只能是域名，不能带协议或路径");
    case DisavowProblem::NotAHost:
        return QStringLiteral("domain: 后面不是域名");
    case DisavowProblem::UrlTooLong:
        return QStringLiteral("网址超过%1个字符").arg(disavowMaxUrlLength);
    case DisavowProblem::Unknown:
        return QStringLiteral("既不是网址、domain: 条目、注释，也不是空行");
    }
    return {};
}

DisavowContents readDisavowText(const QString& text)
{
    DisavowContents contents;
    QSet<QString> seen;
    qsizetype number = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        ++number;
        if (line.endsWith(u'\r'))
            line.chop(1);
        const Classified classified = classify(line);
        if (classified.kind == Classified::Refused)
            contents.refused.append({number, line.toString(), classified.problem});
        else if (classified.kind == Classified::Entry && !seen.contains(classified.entry)) {
            seen.insert(classified.entry);
            contents.entries.append(classified.entry);
        }
    }
    return contents;
}

DisavowCover::DisavowCover(const QStringList& entries)
{
    for (const QString& entry : entries) {
        if (entry.startsWith(domainPrefix))
            domains_.insert(entry.mid(domainPrefix.size()));
        else
            urls_.insert(entry);
    }
}

bool DisavowCover::covers(const QString& entry) const
{
    return !coveringOf(entry).isEmpty();
}

QStringList DisavowCover::coveringOf(const QString& entry) const
{
    QStringList covering;
    if (urls_.contains(entry))
        covering.append(entry);
    const QString host = hostOf(entry);
    // The host itself, then each host above it: a.b.example, b.example, example.
    for (qsizetype at = 0; !host.isEmpty() && at >= 0;) {
        const QString above = host.mid(at);
        if (domains_.contains(above))
            covering.append(domainPrefix + above);
        at = host.indexOf(u'.', at);
        at = at < 0 ? -1 : at + 1;
    }
    return covering;
}

DisavowMerge mergeDisavow(const QString& existing, const QStringList& marks, QDate today)
{
    DisavowMerge merge;
    const DisavowContents have = readDisavowText(existing);
    merge.refused = have.refused;

    QStringList candidates;
    for (const QString& mark : marks) {
        const Classified classified = classify(mark);
        if (classified.kind == Classified::Entry)
            candidates.append(classified.entry);
        else if (classified.problem == DisavowProblem::UrlTooLong)
            merge.tooLong.append(mark);
    }
    // What the file covers already stays as it is; of the new entries, one that another new
    // "domain:" entry covers would only repeat it.
    const DisavowCover before(have.entries);
    const DisavowCover all(have.entries + candidates);
    QSet<QString> added;
    for (const QString& entry : std::as_const(candidates)) {
        if (added.contains(entry) || before.covers(entry))
            continue;
        QStringList covering = all.coveringOf(entry);
        covering.removeAll(entry);
        if (!covering.isEmpty())
            continue;
        added.insert(entry);
        merge.added.append(entry);
    }

    QString text = existing;
    if (!merge.added.isEmpty()) {
        const QString lineBreak = lineBreakOf(existing);
        if (!text.isEmpty() && !text.endsWith(u'\n'))
            text += lineBreak;
        text += QStringLiteral("# Ostrel ") + today.toString(Qt::ISODate) +
                QStringLiteral(" 添加") + lineBreak;
        for (const QString& entry : std::as_const(merge.added))
            text += entry + lineBreak;
    }
    merge.bytes = text.toUtf8();
    merge.lines = lineCount(text);
    merge.linesOver = std::max<qsizetype>(merge.lines - disavowMaxLines, 0);
    merge.bytesOver = std::max<qsizetype>(merge.bytes.size() - disavowMaxBytes, 0);
    return merge;
}

DisavowIo readDisavowFile(const QString& path)
{
    DisavowIo result;
    // Not blocking on open: a FIFO someone named like a text file would hold the window for good.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.reason = systemError(errno);
        return result;
    }
    QFile file;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        result.reason = QStringLiteral("不是普通文件");
        return result;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        result.reason = file.errorString();
        return result;
    }
    const QByteArray bytes = file.read(maxReadBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.reason = file.errorString();
        return result;
    }
    if (bytes.size() > maxReadBytes) {
        result.reason = QStringLiteral("文件超过%1字节，不是拒绝文件").arg(maxReadBytes);
        return result;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    result.text = utf8(bytes);
    if (utf8.hasError()) {
        result.text.clear();
        result.reason = QStringLiteral("不是 UTF-8 文本");
        return result;
    }
    result.ok = true;
    return result;
}

DisavowIo writeDisavowFile(const QString& path, const QByteArray& bytes)
{
    DisavowIo result;
    result.reason = saveFile(path, bytes);
    result.ok = result.reason.isEmpty();
    return result;
}
