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

# dpkg-dev and file let CPack read the library dependencies off the binaries; lintian checks
# the packages against Debian's rules.
scripts/deps.sh dpkg-dev file desktop-file-utils appstream lintian

# OSTREL_PACKAGE_BUILD names a tree that is configured already (CI packages its own build that
# way instead of compiling everything once more); the packages leave the tests out either way.
build=${OSTREL_PACKAGE_BUILD:-build/package}
if [[ -z ${OSTREL_PACKAGE_BUILD:-} ]]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=OFF "$@"
fi
cmake --build "$build" -j"$(nproc)"

echo "== desktop entry and AppStream metainfo"
desktop-file-validate packaging/linux/io.github.ostrel.Ostrel.desktop
appstreamcli validate --no-net packaging/linux/io.github.ostrel.Ostrel.metainfo.xml

# CHANGELOG.md, the Debian changelog and the AppStream releases are written by hand for their
# own readers; their newest release must be the version being packaged, on the same day.
echo "== changelogs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
date=$(date -u -d "$(dpkg-parsechangelog -l packaging/deb/changelog -S Date)" +%F)
debian=$(dpkg-parsechangelog -l packaging/deb/changelog -S Version)
markdown=$(grep -m1 -E '^## \[[0-9]' CHANGELOG.md)
appstream=$(grep -m1 '<release ' packaging/linux/io.github.ostrel.Ostrel.metainfo.xml)
if [[ $debian != "$version" || $markdown != "## [$version] - $date" ||
      $appstream != *"version=\"$version\" date=\"$date\""* ]]; then
    echo "The newest release differs: version $version, packaging/deb/changelog $debian of" \
        "$date, CHANGELOG.md '$markdown', metainfo '$appstream'" >&2
    exit 1
fi

echo "== packages"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)

# Errors and warnings both fail; a tag that must stay needs an override that says why.
echo "== lintian"
lintian --fail-on error,warning "$build"/*.deb
realpath "$build"/*.deb
