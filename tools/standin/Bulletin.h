// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

// The news bulletin as the publisher's server sends it: the announced version, "{update}", then
// four items "caption[Q|Z]link" joined by "{Q|Z}", in code page 936 as the program expects it.
QByteArray bulletinBody(int announcedVersion);
