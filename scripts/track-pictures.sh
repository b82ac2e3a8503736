#!/usr/bin/env bash
# Draws every track with the races that certify it (marvolin-sim picture): the computer cars'
# paths with the player idle, the keyboard driver's path, the longest stops. Writes DIR/paths_mapN.png
# (default: build/pictures) from the build folder of scripts/test.sh.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MARVOLIN_BUILD:-$root/build/test}"
out="$(realpath -m "${1:-$root/build/pictures}")"
[ -x "$build/marvolin-sim" ] || { echo "track-pictures: build first (./scripts/test.sh)" >&2; exit 1; }
mkdir -p "$out"
cd "$build"
for map in data/maps/map*.map; do
    name="$(basename "$map" .map)"
    ./marvolin-sim picture "$map" "$out/paths_$name.png" >/dev/null
done
echo "track-pictures: $(ls "$out"/paths_*.png | wc -l) pictures in $out"
