#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what Ostrel needs, builds it, starts the local stand-in services on 127.0.0.1:8700 and
# then Ostrel, which is pointed at them. Closing Ostrel stops the stand-in services.
# Run as root: scripts/run.sh   (without a display: xvfb-run -a scripts/run.sh)
# Arguments go to the stand-in and win over the ones given here, for instance
# scripts/run.sh --delay 0 --fail-pages 51 (see tools/standin/README.md).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

build=build/run
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=OFF
cmake --build "$build" -j"$(nproc)"

standin="$build/tools/standin/ostrel-standin"
data=build/standin-data
log="$build/standin.log"
mkdir -p "$data"
: >"$log"
# The stand-in's lines (one per request) go to the terminal and to a log the script reads. On
# loopback a whole walk would be over in a blink; a short wait per reply lets one watch the
# progress and try the pause button.
"$standin" --port 8700 --data "$data" --delay 150 "$@" > >(tee "$log") &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT

# Ostrel asks for the news bulletin as its window loads, so it starts once the stand-in listens.
for _ in $(seq 100); do
    grep -qs 'listening on' "$log" && break
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "ostrel-standin did not start; is port 8700 taken?" >&2
        exit 1
    fi
    sleep 0.1
done
grep -qs 'listening on' "$log" || { echo "ostrel-standin is not listening after 10 s" >&2; exit 1; }

"$build/src/ostrel"
