#!/usr/bin/env bash
# A whole run of the game under LeakSanitizer: start-up, a race from the menu (map1), two from the
# console (map5, map9), a map that does not exist, a pause in the menu and back, the console's
# Quit. LeakSanitizer must report nothing (the system libraries' own leaks are suppressed in
# src/engine/sdl/FontFace.cpp, each with its reason) and the game must end with status 0.
#     no_leaks.sh BUILD_FOLDER SANITIZED        (exit status 77: skipped, and why)
# SANITIZED: the build's MARVOLIN_SANITIZE (ON in the AddressSanitizer build).
set -euo pipefail
name=no_leaks
build="$1"
# shellcheck source=tests/game/game-run.sh
source "$(dirname "${BASH_SOURCE[0]}")/game-run.sh"
case "${2:-OFF}" in
ON | on | 1 | TRUE | true | YES | yes) ;;
*) skip "this build has no LeakSanitizer (the sanitizer build runs this test)" ;;
esac

mkdir "$scratch/game"
ln -s "$build/data" "$scratch/game/data"
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1" game_start "$scratch/game"
game_click 100 400 # New Game
game_click 525 650 # Next: the first car
game_click 525 650 # Next: the first track
game_xdo "keydown w" "sleep 3" "keyup w" "key Escape" "sleep 0.5"
game_click 100 450 # Continue
game_xdo "keydown w" "sleep 1" "keyup w"
for map in map5 map9; do
    game_console "LoadLevel $map" "console: LoadLevel $map: the race starts"
    game_console_close
    game_xdo "keydown w" "sleep 2" "keydown d" "sleep 0.5" "keyup d w"
done
game_console "LoadLevel nosuchmap" "console: LoadLevel nosuchmap: no such map"
game_quit open
game_check_clean "the game"
echo "no_leaks: three races, the console and a refused map; LeakSanitizer reported nothing"
