#!/usr/bin/env bash
# A race driven as a player drives it, recorded by the game and played back twice. The game runs
# in a window on the test display with --record; xdotool clicks through the menu onto the first
# track, holds W, steers, and the process is stopped for a moment mid-race (a stall: the game's
# loop drops the updates it missed, and the replay must hold the times the updates really saw);
# the console's Quit ends the game and the recording. Then marvolin-sim race --replay and the game's
# own --replay must both reproduce the recorded race hash.
#     recorded_race.sh BUILD_FOLDER [OTHER_REPLAY]
# OTHER_REPLAY: a replay recorded by another build (the g++ one), which this build's simulator
# must replay too. The recorded replay is left in BUILD_FOLDER/recorded.replay for that.
# Exit status 77: skipped, and why.
set -euo pipefail
build="$1"
other="${2:-}"
GIVE_UP_AFTER_MS=60000 # the game quits by itself if this script goes wrong
STALL_S=1.5

fail() { echo "recorded_race: $*" >&2; exit 1; }
skip() { echo "recorded_race: skipped: $*"; exit 77; }
[ -n "${DISPLAY:-}" ] || skip "no display (the test command runs under xvfb-run)"
command -v xdotool >/dev/null || skip "xdotool is missing (scripts/setup.sh test installs it)"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/marvolin-replay-XXXXXX")"
trap 'kill "$game" 2>/dev/null || true; rm -rf "$scratch"' EXIT
ln -s "$(cd "$build" && pwd)/data" "$scratch/data"
cd "$scratch"
replay="$scratch/race.replay"

"$build/marvolin" --window --record "$replay" --quit-after "$GIVE_UP_AFTER_MS" >output 2>&1 &
game=$!
window="$(xdotool search --sync --onlyvisible --pid "$game" | head -1)"
click() { # X Y in the game's 1024 x 768 pixels
    xdotool mousemove --window "$window" "$1" "$2"
    sleep 0.3
    xdotool click 1
    sleep 0.5
}
sleep 2
click 100 400 # New Game
click 525 650 # Next: the first car
click 525 650 # Next: the first track
xdotool keydown w
sleep 5       # the countdown, and off the line
kill -STOP "$game"
sleep "$STALL_S"
kill -CONT "$game"
xdotool keydown d
sleep 0.6
xdotool keyup d
sleep 2
xdotool keyup w
xdotool key grave # the console
sleep 0.5
xdotool type --delay 50 Quit
xdotool key Return
status=0
wait "$game" || status=$?
game=
[ "$status" -eq 0 ] || fail "the recording game exited with $status: $(cat output)"
[ -f "$replay" ] || fail "no replay was written; the log says: $(cat log.txt)"
tail -1 "$replay" | grep -q '^end [0-9]* [0-9a-f]\{16\} quit$' ||
    fail "the replay does not end with the quit: $(tail -1 "$replay")"
grep -q ' W' "$replay" || fail "the replay holds no W: the keys did not reach the game"
# The stall shows as a gap of far more than one update between two updates' times.
awk '$1 ~ /^[0-9]+$/ { if (last && $2 - last > 500) gap = 1; last = $2 } END { exit !gap }' \
    "$replay" || fail "the replay shows no stall"
cp "$replay" "$build/recorded.replay"

"$build/marvolin-sim" race --replay "$replay" >sim.out 2>sim.err ||
    fail "marvolin-sim does not reproduce the recorded race: $(cat sim.err)"

updates="$(tail -1 "$replay" | cut -d' ' -f2)"
rm -f log.txt
"$build/marvolin" --window --replay "$replay" --quit-after "$GIVE_UP_AFTER_MS" >output 2>&1 &
game=$!
# The game plays one recorded update per update of its own, however slow this machine is.
for _ in $(seq 600); do
    grep -q "replay: the race\|error: replay" log.txt 2>/dev/null && break
    sleep 0.1
done
kill -TERM "$game" 2>/dev/null || true # SDL turns it into a quit
wait "$game" || fail "the replaying game failed: $(cat output)"
game=
grep -q "replay: the race matches its recording" log.txt ||
    fail "the game's replay does not reproduce the race: $(grep replay log.txt)"

if [ -n "$other" ]; then
    [ -f "$other" ] || fail "no replay of the other build at $other"
    "$build/marvolin-sim" race --replay "$other" >/dev/null 2>sim.err ||
        fail "the other build's replay $other differs here: $(cat sim.err)"
fi
echo "recorded_race: $updates updates recorded with a stall, reproduced by the simulator and the game"
