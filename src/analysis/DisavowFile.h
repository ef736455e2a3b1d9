// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// A disavow file: plain UTF-8 text, one entry a line, each either a whole http(s) address or
// "domain:" directly followed by a host name, which covers that host and every host under it.
// Lines starting with "#" are comments; blank lines are allowed. What a search engine accepts:
constexpr qsizetype disavowMaxLines = 100000; // blank lines and comments included
// "2 MB" read the smaller way, so that no file written here is refused for its size.
constexpr qsizetype disavowMaxBytes = 2000000;
constexpr qsizetype disavowMaxUrlLength = 2048;

// Entries are kept and compared in the form they are written: "domain:" and the host in its ASCII
// (punycode) form, lower case; an address fully percent-encoded, its host in the same form. The
// ASCII form is the name as DNS and crawlers carry it, it has one spelling where Unicode has
// several, and a reader that takes only 7-bit ASCII reads it too.

// The entry for a host of the grid ("domain:example.com"): a user part and a port are dropped.
// Empty when what is left is no host name.
QString disavowDomainEntry(const QString& host);
// The entry for an address found as a link: empty when it is no http(s) address with a host
// name, or holds a control character. It may be longer than a search engine takes.
QString disavowUrlEntry(const QString& url);

// Why a search engine would refuse a line, or None.
enum class DisavowProblem {
    None,
    SpaceAfterDomain, // "domain: example.com"
    PathInDomain,     // "domain:example.com/page" or "domain:http://example.com"
    NotAHost,         // "domain:" and something that is no host name
    UrlTooLong,       // an address over disavowMaxUrlLength characters
    Unknown,          // neither an address, a domain entry, a comment nor blank
};
// The words a box names a problem with.
QString disavowProblemText(DisavowProblem problem);

struct DisavowLine {
    qsizetype number = 0; // from 1
    QString text;         // as it stands in the file, without its line break
    DisavowProblem problem = DisavowProblem::None;
};

// A disavow file read as a search engine reads it.
struct DisavowContents {
    QStringList entries;        // every entry it accepts, in the form above, each once, in order
    QList<DisavowLine> refused; // lines it would refuse
};
DisavowContents readDisavowText(const QString& text);

// Which marked entries (in the form above) a set of entries already covers: the same entry, or
// a "domain:" entry of the entry's host or of a host above it.
class DisavowCover {
public:
    explicit DisavowCover(const QStringList& entries);
    bool isEmpty() const { return domains_.isEmpty() && urls_.isEmpty(); }
    bool covers(const QString& entry) const;
    // The entries of those given that cover `entry`, itself included.
    QStringList coveringOf(const QString& entry) const;

private:
    QSet<QString> domains_; // hosts of the "domain:" entries
    QSet<QString> urls_;
};

// A disavow file with the marks of a site added.
struct DisavowMerge {
    QByteArray bytes;           // UTF-8, no byte-order mark
    qsizetype lines = 0;        // blank lines and comments included
    QStringList added;          // entries written under the dated comment
    QStringList tooLong;        // marked addresses left out, being over the length a URL may have
    QList<DisavowLine> refused; // lines of the existing file a search engine would refuse, kept
    qsizetype linesOver = 0;    // by how much the file is over its limits: when either is
    qsizetype bytesOver = 0;    // above 0 it must not be written
};

// `existing` (the text of the file the user has, or empty) with every line kept as it stands,
// comments, order and line breaks included, and after it, under a comment dated `today`, each of
// `marks` that it does not cover yet. Marks that are no entry are left out.
DisavowMerge mergeDisavow(const QString& existing, const QStringList& marks, QDate today);

// Reading and writing a disavow file.
struct DisavowIo {
    bool ok = false;
    QString text;   // what was read
    QString reason; // why not, when !ok
};
// Reads a regular file of at most 16 MiB in UTF-8 (a leading byte-order mark is dropped).
DisavowIo readDisavowFile(const QString& path);
// Replaces `path` with `bytes` as a whole: on any failure the earlier file stays as it was. A
// symbolic link at `path` is refused, and what it points to is left alone.
DisavowIo writeDisavowFile(const QString& path, const QByteArray& bytes);
