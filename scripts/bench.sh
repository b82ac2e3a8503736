#!/usr/bin/env bash
# Measures the game on this machine and prints one table, every figure beside its own baseline
# measured in the same run: the race's frame rate, the start-up, the memory and the CPU use of the
# game under Xvfb with Mesa's software renderer (llvmpipe), beside an empty engine that only opens
# its window and clears and shows its frames (build/test/bench_frames); the simulator's updates per
# second on the largest track against real time (bench_race), and the weld of the largest model
# (bench_weld). Not part of the test command: the figures depend on the machine and its load.
#     scripts/bench.sh [MEASURE_MS]      each stretch measured for MEASURE_MS (default 5000)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/test"
measure_ms="${1:-5000}"
WARM_UP_MS=4000           # from the first frame: past the race's three-second countdown
REAL_TIME_UPDATES=40      # the game's updates per second

# A display of its own every time: the same screen and renderer whatever the desktop has.
if [ -z "${MARVOLIN_BENCH_IN_XVFB:-}" ]; then
    "$root/scripts/setup.sh" test
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARVOLIN_WERROR=ON \
          -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc >/dev/null
    cmake --build "$build" -j"$(nproc)" --target marvolin marvolin-data-run bench_frames \
          bench_race bench_weld >/dev/null
    MARVOLIN_BENCH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
export LIBGL_ALWAYS_SOFTWARE=1
cd "$build" # the generated data/ is here
log="$(mktemp "${TMPDIR:-/tmp}/marvolin-bench-XXXXXX")"
trap 'rm -f "$log"' EXIT

# frames MODE [GAME OPTIONS...]: bench_frames's line of key=value figures.
frames() {
    local mode="$1"; shift
    MARVOLIN_BENCH_MODE="$mode" MARVOLIN_BENCH_WARM_UP_MS="$WARM_UP_MS" \
    MARVOLIN_BENCH_MEASURE_MS="$measure_ms" MARVOLIN_BENCH_LAUNCH_NS="$(date +%s%N)" \
        ./bench_frames --window "$@" 2>>"$log" || {
        echo "bench: bench_frames ($mode) failed:" >&2; cat "$log" >&2; exit 1; }
}
# field LINE KEY: the value of KEY=... in LINE.
field() { sed -n "s/.* *\<$2=\([^ ]*\).*/\1/p" <<<" $1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
# benchmark PROGRAM FILTER KEY: one figure of one Google Benchmark, from its JSON.
benchmark() {
    "./$1" --benchmark_filter="$2" --benchmark_format=json 2>>"$log" |
        sed -n -e "s/^ *\"$3\": \"\(.*\)\",\{0,1\}$/\1/p" \
               -e "s/^ *\"$3\": \([-+.0-9eE]*\),\{0,1\}$/\1/p" | head -1
}

echo "bench: measuring (${measure_ms} ms a stretch after ${WARM_UP_MS} ms of warm-up)..." >&2
empty="$(frames empty)"
menu="$(frames menu)"
race="$(frames race)"
fps_option=""
if ./marvolin --help | grep -q -- '--fps'; then
    fps_option="--fps 0"
    menu_uncapped="$(frames menu --fps 0)"
    race_uncapped="$(frames race --fps 0)"
fi
updates_indexed="$(benchmark bench_race 'RaceUpdates/edge_index:1$' items_per_second)"
updates_every="$(benchmark bench_race 'RaceUpdates/edge_index:0$' items_per_second)"
track="$(benchmark bench_race 'RaceUpdates/edge_index:1$' label)"
weld_ms="$(benchmark bench_weld 'WeldLargestModel' real_time)"
weld_cpu_ms="$(benchmark bench_weld 'WeldLargestModel' cpu_time)"
weld_model="$(benchmark bench_weld 'WeldLargestModel' label)"
weld_triangles="$(benchmark bench_weld 'WeldLargestModel' triangles)"
grid_ms="$(benchmark bench_weld 'WeldTiledGrid' real_time)"
grid_triangles="$(benchmark bench_weld 'WeldTiledGrid' triangles)"

row() { printf '| %s | %s | %s | %s |\n' "$@"; }
cpu_row() { # what, game line, baseline line
    row "$1" "$(field "$2" cpu_percent)" "$(field "$3" cpu_percent) (empty engine)" \
        "$(ratio "$(field "$2" cpu_percent)" "$(field "$3" cpu_percent)")"
}
echo
echo "Marvolin on $(uname -m), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); $(grep -m1 'OpenGL renderer' bench-log.txt 2>/dev/null | sed 's/.*OpenGL renderer: //')"
echo
row "Measure" "Game" "Baseline" "Game / baseline"
row "---" "---:" "---:" "---:"
row "Race view, frames per second" "$(field "$race" fps)" \
    "$(field "$empty" fps) (empty frame: clear and show)" \
    "$(ratio "$(field "$race" fps)" "$(field "$empty" fps)")"
row "Start-up to the first menu frame, ms" "$(field "$menu" startup_ms)" \
    "$(field "$empty" startup_ms) (window and one empty frame)" \
    "$(ratio "$(field "$menu" startup_ms)" "$(field "$empty" startup_ms)")"
row "Peak resident memory in a race, MiB" "$(mib "$(field "$race" peak_rss_kb)")" \
    "$(mib "$(field "$empty" peak_rss_kb)") (empty engine)" \
    "$(ratio "$(field "$race" peak_rss_kb)" "$(field "$empty" peak_rss_kb)")"
cpu_row "CPU in the menu, % of one core (defaults)" "$menu" "$empty"
cpu_row "CPU in a race, % of one core (defaults)" "$race" "$empty"
if [ -n "$fps_option" ]; then
    cpu_row "CPU in the menu, % of one core ($fps_option)" "$menu_uncapped" "$empty"
    cpu_row "CPU in a race, % of one core ($fps_option)" "$race_uncapped" "$empty"
    row "Race view, frames per second ($fps_option)" "$(field "$race_uncapped" fps)" \
        "$(field "$empty" fps) (empty frame)" \
        "$(ratio "$(field "$race_uncapped" fps)" "$(field "$empty" fps)")"
else
    row "CPU with --fps 0" "-" "-" "the game has no --fps option"
fi
row "Simulator updates per second, $track" "$(printf '%.0f' "$updates_indexed")" \
    "$REAL_TIME_UPDATES (real time)" "$(ratio "$updates_indexed" "$REAL_TIME_UPDATES")"
row "Simulator updates per second, every edge tested" "$(printf '%.0f' "$updates_every")" \
    "$REAL_TIME_UPDATES (real time)" "$(ratio "$updates_every" "$REAL_TIME_UPDATES")"
row "Weld of the largest model ($weld_model, $(printf '%.0f' "$weld_triangles") triangles), ms" \
    "$(printf '%.3f' "$weld_ms") (CPU $(printf '%.3f' "$weld_cpu_ms"))" \
    "$(printf '%.2f' "$grid_ms") (a $(printf '%.0f' "$grid_triangles")-triangle tiled grid)" \
    "$(ratio "$weld_ms" "$grid_ms")"
