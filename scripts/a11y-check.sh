#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Starts Ostrel under a virtual display with a private accessibility bus and prints the tree a
# screen reader sees. Run as root: scripts/a11y-check.sh [path to ostrel]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh xvfb xauth at-spi2-core python3-pyatspi dbus
program=${1:-build/run/src/ostrel}
exec dbus-run-session -- xvfb-run -a bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately & launcher=$!
    sleep 1
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$0" & app=$!
    status=0
    /usr/bin/python3 scripts/a11y-tree.py || status=$?
    kill $app $launcher 2>/dev/null || true
    exit $status' "$program"
