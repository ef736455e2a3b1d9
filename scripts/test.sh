#!/usr/bin/env bash
# Installs what the tests need, builds Ostrel with warnings as errors, checks the formatting and
# runs the whole test suite. Run as root on a fresh Debian 12 machine: scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# desktop-file-utils and appstream check the desktop entry and the AppStream metainfo.
scripts/deps.sh desktop-file-utils appstream

build=build/ci
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTREL_WARNINGS_AS_ERRORS=ON
cmake --build "$build" -j"$(nproc)"

echo "== formatting"
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== tests"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
