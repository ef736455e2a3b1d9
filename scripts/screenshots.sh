#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Retakes the README's screenshots: docs/screenshot-main.png (the main window after a run of
# big.example against the stand-in) and docs/screenshot-links.png (the links of the top host).
# Runs scripts/run.sh on a virtual display with a small window manager, so the windows have
# their frames, and drives it with xdotool. Run as root: scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z "${OSTREL_SCREENSHOTS_DISPLAY:-}" ]]; then
    scripts/deps.sh xvfb xauth xdotool imagemagick openbox x11-utils
    exec xvfb-run -a -s "-screen 0 1024x768x24" env OSTREL_SCREENSHOTS_DISPLAY=1 "$0"
fi

openbox &
wm=$!
scripts/run.sh &
run=$!
trap 'kill "$run" "$wm" 2>/dev/null || true' EXIT

# Waits up to 10 minutes (the first build) for a visible window whose title matches $1.
window() {
    for _ in $(seq 6000); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
        [[ -n "$id" ]] && { echo "$id"; return; }
        kill -0 "$run" 2>/dev/null || { echo "scripts/run.sh ended early" >&2; exit 1; }
        sleep 0.1
    done
    echo "no window named $1" >&2
    exit 1
}

# The window with its frame, as the window manager draws it.
shoot() {
    local frame=$1 parent
    # Up from the program's window to the last one below the root: the frame.
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
xdotool type --delay 20 big.example
xdotool key Return
# The run is over when the stand-in has answered its last page (b = 951) and the grid is drawn.
for _ in $(seq 300); do
    grep -qs 'p=big.example&.*b=951 200' build/run/standin.log && break
    sleep 0.1
done
sleep 1
shoot "$main" docs/screenshot-main.png

# Row 1 of the grid, the top host: below the fixed row, at the grid's top left (23, 64).
xdotool mousemove --window "$main" 120 89 click --repeat 2 --delay 100 1
links=$(window '^blog\.example$')
sleep 1
shoot "$links" docs/screenshot-links.png

# Closing the main window ends Ostrel, and run.sh then stops the stand-in.
xdotool windowactivate --sync "$main" key alt+F4
wait "$run"
