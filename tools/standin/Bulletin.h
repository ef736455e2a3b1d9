#pragma once

#include <QByteArray>

// The news bulletin as the publisher's server sends it: the announced version, "{update}", then
// four items "caption[Q|Z]link" joined by "{Q|Z}", in code page 936 as the program expects it.
QByteArray bulletinBody(int announcedVersion);
