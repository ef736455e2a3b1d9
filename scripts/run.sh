#!/usr/bin/env bash
# Installs what Ostrel needs, builds it, starts the local stand-in services on 127.0.0.1:8700 and
# then Ostrel, which is pointed at them. Closing Ostrel stops the stand-in services.
# Run as root: scripts/run.sh   (without a display: xvfb-run -a scripts/run.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

build=build/run
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=OFF
cmake --build "$build" -j"$(nproc)"

standin="$build/tools/standin/ostrel-standin"
pid=
if [[ -x "$standin" ]]; then
    mkdir -p build/standin-data
    "$standin" --port 8700 --data build/standin-data &
    pid=$!
    trap 'kill "$pid" 2>/dev/null || true' EXIT
fi
"$build/src/ostrel"
