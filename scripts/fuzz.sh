#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a bounded time from
# its checked-in seed corpus. A crash, a leak, a timeout or a sanitizer report fails the run.
# Usage (as root): scripts/fuzz.sh [seconds per target, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}

scripts/deps.sh clang libclang-rt-14-dev

build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DOSTREL_BUILD_FUZZ=ON -DOSTREL_BUILD_TESTS=OFF
cmake --build "$build" -j"$(nproc)" --target fuzz_all

for target in "$build"/fuzz/fuzz_*; do
    [[ -f "$target" && -x "$target" ]] || continue
    name=$(basename "$target")
    corpus=fuzz/corpus/${name#fuzz_}
    work=$(mktemp -d)
    echo "== $name for ${seconds}s"
    status=0
    "$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/$name-" "$work" "$corpus" >"$build/$name.log" 2>&1 || status=$?
    grep -E '^(stat::number_of_executed_units|Done |SUMMARY)' "$build/$name.log" || true
    rm -rf "$work"
    if ((status != 0)); then
        tail -n 40 "$build/$name.log" >&2
        echo "$name failed (exit $status)" >&2
        exit 1
    fi
done
