#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what the tests need, builds Ostrel with warnings as errors, checks the formatting and
# runs the whole test suite; then runs it again built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every fuzz target for 20 seconds. Any failure, sanitizer
# report or leak fails the run. Run as root on a fresh Debian 12 machine: scripts/test.sh
#
# For everyday edits, `scripts/test.sh --quick` builds (in build/quick) and runs the suite once:
# no packages installed, no sanitizer build, no fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

if [[ ${1:-} == --quick ]]; then
    cmake -S . -B build/quick -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOSTREL_WARNINGS_AS_ERRORS=ON
    cmake --build build/quick -j"$jobs"
    exec ctest --test-dir build/quick --output-on-failure -j"$jobs"
fi

# desktop-file-utils and appstream check the desktop entry and the AppStream metainfo, reuse that
# every file states its copyright and license.
scripts/deps.sh desktop-file-utils appstream reuse

build=build/ci
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTREL_WARNINGS_AS_ERRORS=ON
cmake --build "$build" -j"$jobs"

echo "== formatting"
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== copyright and license of every file"
reuse lint

echo "== tests"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

# The packages are made from the build just tested: only cpack and lintian add to the time.
echo "== Debian packages"
OSTREL_PACKAGE_BUILD=$build scripts/package.sh

# The sanitizers slow the code down a few times over; -O1 keeps that bearable and -g1 keeps the
# line numbers of a report at a fraction of full debug information.
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
asan=build/asan
cmake -S . -B "$asan" -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DOSTREL_SANITIZE=ON -DOSTREL_WARNINGS_AS_ERRORS=ON
cmake --build "$asan" -j"$jobs"
# Every report ends its process with a failure: the first error stops it, leaks are looked for at
# exit, and undefined behaviour is not recovered from (see -fno-sanitize-recover).
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$asan" --output-on-failure -j"$jobs"

echo "== fuzzing"
scripts/fuzz.sh 20
