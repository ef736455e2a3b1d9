#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Ostrel developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the benchmarks (Release, in build/bench) and runs them all: one result page, a whole run
# against its floor, start-up and peak memory, a working day of runs against the stand-in, a large
# link export imported, and how the stages grow with the links of a run.
# Prints each benchmark's own table, then a summary against the targets. Run as root:
#   scripts/bench.sh [build folder, default build/bench]
# The machine should be otherwise idle; ratios are measured side by side in one process, so they
# hold up better than the times on a busy machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}

scripts/deps.sh libbenchmark-dev

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_BENCH=ON \
    -DOSTREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_page bench_growth bench_run bench_startup bench_soak \
    bench_stall bench_import bench_history ostrel
bin="$build/bench"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen
mkdir -m 700 "$out/runtime"
export XDG_RUNTIME_DIR="$out/runtime"

echo "== one result page, GB2312 decoding, suggestion encoding"
"$bin/bench_page" --benchmark_out="$out/page.csv" --benchmark_out_format=csv
echo "== a whole run against its floor"
"$bin/bench_run" | tee "$out/run.txt"
echo "== the longest stall of the event loop"
"$bin/bench_stall" | tee "$out/stall.txt"
echo "== start-up and peak memory"
"$bin/bench_startup" | tee "$out/startup.txt"
echo "== a working day: 300 runs against the stand-in process"
"$bin/bench_soak" | tee "$out/soak.txt"
echo "== a 1 000 000-row link export imported, and the shell pipeline beside it"
"$bin/bench_import" | tee "$out/import.txt"
echo "== the history: keeping, sizes on disk, the history window, comparisons"
"$bin/bench_history" | tee "$out/history.txt"
echo "== launch to finished from outside, the accessibility bridge on"
bench/launch_to_finished.sh "$build/src/ostrel" 1000000 3 | tee "$out/launch.txt"
echo "== growth with the links of a run"
"$bin/bench_growth" --benchmark_out="$out/growth.csv" --benchmark_out_format=csv

# The median rows of a Google Benchmark CSV: name (without the repetition suffix), real time,
# CPU time, unit, and the named counter.
medians() {
    awk -F, -v counter="$2" '
        /^name,/ { for (i = 1; i <= NF; ++i) if ($i == counter) col = i; next }
        /_median"?,/ {
            name = $1; gsub(/"/, "", name); sub(/\/repeats:[0-9]+_median$/, "", name)
            print name, $3, $4, $5, (col ? $col : "")
        }' "$1"
}
result() { awk -v key="$2" '$1 == "RESULT" && $2 == key { print $3 }' "$1"; }

echo
echo "== summary (medians; CPU time for the Google Benchmark rows, which a busy machine disturbs"
echo "   less than the wall-clock time shown beside it)"
row() { printf '%-40s %22s %14s\n' "$@"; }
row "measure" "value" "target"
medians "$out/page.csv" "" | while read -r name real cpu unit _; do
    target="-"
    [[ $name == decodeParseTally ]] && target="<= 25 us"
    row "page: $name" "$(printf '%.1f %s (wall %.1f)' "$cpu" "$unit" "$real")" "$target"
done
row "run of 1000 results" "$(result "$out/run.txt" run_ms) ms" "-"
row "floor (bare fetch loop)" "$(result "$out/run.txt" floor_ms) ms" "-"
row "run / floor" "$(result "$out/run.txt" run_floor_ratio)" "<= 1.5"
row "run, server waiting 20 ms a reply" "$(result "$out/run.txt" slow_run_ms) ms" "-"
row "floor, server waiting 20 ms a reply" "$(result "$out/run.txt" slow_floor_ms) ms" "-"
row "run / floor, 20 ms a reply" "$(result "$out/run.txt" slow_run_floor_ratio)" "<= 1.5"
row "stall: 1000-result run and its end" "$(result "$out/stall.txt" stall_run_ms) ms" "<= 16 ms"
row "stall: a page of 100 000 results" "$(result "$out/stall.txt" stall_hostile_ms) ms" "<= 100 ms"
row "start-up, bare Qt window" "$(result "$out/startup.txt" startup_bare_ms) ms" "-"
row "start-up, Ostrel" "$(result "$out/startup.txt" startup_ostrel_ms) ms" "-"
row "start-up, Ostrel / bare" "$(result "$out/startup.txt" startup_ratio)" "<= 1.5"
row "start-up, window with a Chinese caption" "$(result "$out/startup.txt" startup_caption_ms) ms" "-"
row "start-up, Ostrel / captioned window" "$(result "$out/startup.txt" startup_caption_ratio)" "<= 1.3"
for phase in application fonts network window first-frame; do
    row "start-up phase: $phase" "$(result "$out/startup.txt" "startup_phase_$phase") ms" "-"
done
row "peak memory, one 1000-result run" "$(result "$out/startup.txt" run_peak_mib) MiB" "<= 45 MiB"
row "soak: memory growth, round 10 to 300" "$(result "$out/soak.txt" soak_rss_growth_mib) MiB" "<= 2 MiB"
row "soak: open file descriptors" "$(result "$out/soak.txt" soak_fds)" "flat"
row "soak: live QObjects" "$(result "$out/soak.txt" soak_objects)" "flat"
row "soak: last ten runs / first ten (cpu)" "$(result "$out/soak.txt" soak_time_ratio)" "<= 1.10"
row "import: 1 000 000-row export" "$(result "$out/import.txt" import_ms) ms" "<= 2000 ms"
row "import: reading the file alone" "$(result "$out/import.txt" read_floor_ms) ms" "-"
row "import: floor, 1M strings into host lists" "$(result "$out/import.txt" tally_floor_ms) ms" "-"
row "import: read rate" "$(result "$out/import.txt" import_mib_s) MiB/s" "-"
row "import: cut|awk|sort pipeline" "$(result "$out/import.txt" pipeline_ms) ms" "-"
row "import: pipeline / import" "$(result "$out/import.txt" pipeline_ratio)" ">= 3"
row "import: tally" "$(result "$out/import.txt" tally_mib) MiB" "-"
row "import: peak memory" "$(result "$out/import.txt" peak_mib) MiB" \
    "<= $(result "$out/import.txt" peak_limit_mib) MiB"
row "import: stall, through the window" "$(result "$out/import.txt" import_stall_ms) ms" "<= 16 ms"
row "import from launch, less a bare launch" "$(result "$out/launch.txt" launch_import_ms) ms" "-"
row "import from launch: pipeline / import" "$(result "$out/launch.txt" launch_pipeline_ratio)" \
    ">= 2.5"
row "history: keeping a 1000-link run, window" "$(result "$out/history.txt" keep_run_window_ms) ms" "<= 5 ms"
row "history: keeping a 1M-link import" "$(result "$out/history.txt" keep_import_ms) ms" "<= 1500 ms"
row "history: stall while it is kept" "$(result "$out/history.txt" keep_import_stall_ms) ms" "<= 16 ms"
row "history: first snapshot / its links" "$(result "$out/history.txt" first_snapshot_ratio)" "<= 1.2"
row "history: further snapshot, bytes a link" "$(result "$out/history.txt" further_snapshot_bytes_per_link)" "<= 8"
row "history: window of 100 snapshots" "$(result "$out/history.txt" history_window_ms) ms" "<= 100 ms"
row "history: comparing two 1M-link snapshots" "$(result "$out/history.txt" compare_large_ms) ms" "<= 500 ms"
row "history: reading their hosts" "$(result "$out/history.txt" compare_large_load_ms) ms" "-"
row "history: comparing two 1000-link runs" "$(result "$out/history.txt" compare_run_ms) ms" "<= 5 ms"
medians "$out/growth.csv" "" | while read -r name real cpu unit _; do
    case $name in
    gridHosts/40000) row "grid: 40 000 hosts filled and sorted" "$(printf '%.1f %s (wall %.1f)' "$cpu" "$unit" "$real")" "<= 50 ms" ;;
    linkList/200000) row "link list: a host of 200 000 links" "$(printf '%.1f %s (wall %.1f)' "$cpu" "$unit" "$real")" "<= 100 ms" ;;
    esac
done
medians "$out/growth.csv" '"per_link"' | while read -r name real cpu unit perlink; do
    [[ $name == gridHosts/* || $name == linkList/200000 ]] && continue
    row "growth: $name" "$(printf '%.2f %s, %.0f ns/link' "$cpu" "$unit" "$(awk -v s="$perlink" 'BEGIN { print s * 1e9 }')")" "n log n"
done
