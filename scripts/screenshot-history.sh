#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Retakes docs/screenshot-history.png: the history window after three runs of medium.example
# against a stand-in whose links change from walk to walk (--changing), with a history file of
# its own. Runs on a virtual display with a small window manager and drives Ostrel with xdotool.
# Run as root: scripts/screenshot-history.sh [build folder, default build/run]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/run}

if [[ -z "${OSTREL_SCREENSHOTS_DISPLAY:-}" ]]; then
    scripts/deps.sh xvfb xauth xdotool imagemagick openbox x11-utils
    # A build folder already set up is built as it is.
    [[ -f "$build/CMakeCache.txt" ]] ||
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)" --target ostrel ostrel-standin
    exec xvfb-run -a -s "-screen 0 1024x768x24" env OSTREL_SCREENSHOTS_DISPLAY=1 "$0" "$build"
fi

work=$(mktemp -d)
openbox &
wm=$!
log="$work/standin.log"
"$build/tools/standin/ostrel-standin" --port 8791 --data "$work" --changing >"$log" &
standin=$!
trap 'kill "$ostrel" "$standin" "$wm" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do
    grep -qs 'listening on' "$log" && break
    sleep 0.1
done
XDG_CONFIG_HOME="$work" "$build/src/ostrel" --explorer 127.0.0.1:8791 --publisher 127.0.0.1:8791 \
    --database "$work/history.sqlite" &
ostrel=$!

window() {
    for _ in $(seq 600); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
        [[ -n "$id" ]] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "no window named $1" >&2
    exit 1
}

# The window with its frame, as the window manager draws it.
shoot() {
    local frame=$1 parent
    while parent=$(xwininfo -children -id "$frame" | grep 'Parent window id:') &&
        [[ "$parent" != *'(the root window)'* ]]; do
        frame=$(awk '{print $4}' <<<"$parent")
    done
    read -r x y w h < <(xwininfo -id "$frame" |
        awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
             /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
    echo "wrote $2 (${w}x${h})"
}

main=$(window '^Ostrel V')
xdotool windowactivate --sync "$main"
xdotool type --delay 20 medium.example
for run in 1 2 3; do
    xdotool windowactivate --sync "$main" key Return
    # A walk of medium.example ends with the page at b = 401.
    for _ in $(seq 300); do
        (($(grep -c 'b=401 200' "$log") >= run)) && break
        sleep 0.1
    done
    sleep 1
done
xdotool windowactivate --sync "$main" key ctrl+h
history=$(window '^历史记录')
xdotool windowsize "$history" 900 700
sleep 1
shoot "$history" docs/screenshot-history.png
