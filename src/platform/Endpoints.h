// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The hosts of the two outside services, each a host with an optional port and no scheme. The
// program takes them from its build settings; tests point a window at servers of their own.
struct Endpoints {
    QString explorerHost;  // the site explorer that lists the pages linking to a site
    QString publisherHost; // the publisher's server: home page, news bulletin, suggestions
};
