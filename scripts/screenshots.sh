#!/usr/bin/env bash
# Makes the README's two pictures with the game itself: docs/menu.png (the main page, the cursor
# on New Game) and docs/race.png (the first track a few seconds after the start, the player's car
# under way). The game runs in a 1024 x 768 window on a virtual display of its own, saving its
# frames (--shots); xdotool plays the player: the mouse on New Game, a click, Next for the first
# car, Next for the first track, then W held down.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/release"
SAVE_EVERY_MS=500         # often enough to choose from, rarely enough not to slow the race
GIVE_UP_AFTER_MS=30000    # the game quits by itself if this script is stopped half-way
RACE_SHOT_AFTER_S=12      # the three-second countdown, then the field strung out along the road

if [ -z "${MARVOLIN_SHOTS_IN_XVFB:-}" ]; then
    "$root/scripts/setup.sh" play clicks
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
          -DMARVOLIN_BUILD_TESTS=OFF -DMARVOLIN_BUILD_BENCHMARKS=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)" --target marvolin marvolin-data-run >/dev/null
    MARVOLIN_SHOTS_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

frames="$(mktemp -d "${TMPDIR:-/tmp}/marvolin-shots-XXXXXX")"
trap '[ -n "${MARVOLIN_SHOTS_KEEP:-}" ] || rm -rf "$frames"' EXIT
cd "$build" # the game reads data/ from here
./marvolin --window --shots "$frames" --shot-every "$SAVE_EVERY_MS" \
    --quit-after "$GIVE_UP_AFTER_MS" >"$frames/output.txt" 2>&1 &
game=$!
window="$(xdotool search --sync --onlyvisible --pid "$game" | head -1)"

# The frame saved before the latest one: the latest may still be being written.
settled_frame() { find "$frames" -name 'frame_*.png' | sort | tail -2 | head -1; }
click() { # X Y in the game's 1024 x 768 pixels
    xdotool mousemove --window "$window" "$1" "$2"
    sleep 0.5
    xdotool click 1
    sleep 0.5
}

mkdir -p "$root/docs"
sleep 2                                   # the models loaded, the menu up
xdotool mousemove --window "$window" 100 400
sleep 1                                   # New Game lit under the cursor
cp "$(settled_frame)" "$root/docs/menu.png"
click 100 400                             # New Game: the car page
sleep 1                                   # the car turns on its stand
click 525 650                             # Next: the map page
click 525 650                             # Next: the race on the first track
xdotool keydown w
sleep "$RACE_SHOT_AFTER_S"
cp "$(settled_frame)" "$root/docs/race.png"
xdotool keyup w
kill "$game" 2>/dev/null || true
wait "$game" 2>/dev/null || true
echo "screenshots: docs/menu.png and docs/race.png written"
