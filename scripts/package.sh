#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian packages: ostrel (the program) and ostrel-standin (the local stand-in
# services). Run as root on Debian 12; extra arguments go to CMake, for example
#   scripts/package.sh -DOSTREL_EXPLORER_HOST=explorer.example:8080
# and install the result with: apt-get install ./build/package/ostrel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-dev and file let CPack read the library dependencies off the binaries.
scripts/deps.sh dpkg-dev file desktop-file-utils appstream

build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=OFF "$@"
cmake --build "$build" -j"$(nproc)"

echo "== desktop entry and AppStream metainfo"
desktop-file-validate packaging/linux/io.github.ostrel.Ostrel.desktop
appstreamcli validate --no-net packaging/linux/io.github.ostrel.Ostrel.metainfo.xml

echo "== packages"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
realpath "$build"/*.deb
