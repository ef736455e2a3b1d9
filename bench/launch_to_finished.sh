#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Launch to finished from outside: Ostrel importing a generated link export under a virtual
# display with the accessibility bridge on, as desktop users with assistive technology run it.
# Run as root: bench/launch_to_finished.sh [path to ostrel] [rows, default 1000000] [repetitions]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh xvfb xauth at-spi2-core python3-pyatspi dbus
program=$(realpath "${1:-build/bench/src/ostrel}")
exec dbus-run-session -- xvfb-run -a bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately & launcher=$!
    sleep 1
    status=0
    /usr/bin/python3 bench/launch_to_finished.py "$0" "$1" "$2" || status=$?
    kill $launcher 2>/dev/null || true
    exit $status' "$program" "${2:-1000000}" "${3:-3}"
