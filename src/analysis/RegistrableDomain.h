// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The registrable domain a host belongs to under the Public Suffix List: blog.example.com and
// www.example.com are example.com, news.bbc.co.uk is bbc.co.uk, and foo.github.io stays
// foo.github.io, since github.io is a suffix anyone may register under. Letter case is folded and
// a user part ("user@") or a port (":8080", also after "[v6]") is dropped first. An IP address, a
// name whose top level the list does not know, and a public suffix itself are the folded host.
// A domain is given as shownDomainName() spells it, so its Unicode and punycode spellings are one.
QString registrableDomain(const QString& host);

// How a domain name is shown, whichever of its spellings it came in: in Unicode (例子.中国 for
// xn--fsqu00a.xn--fiqs8s), or in punycode when it mixes scripts as no language writes them, the
// way a lookalike is made (аррӏе.com, Cyrillic beside a Latin top level), as browsers show it.
// Letter case is folded; a name that is no valid international name stays as it is.
QString shownDomainName(const QString& name);
