#!/usr/bin/env bash
# Makes the seed corpora of the fuzz targets from a build's generated data/ and the track sources:
#     scripts/fuzz-seeds.sh BUILD_DIR OUT_DIR
# OUT_DIR/<target>/ gets the models, maps, track sources, shaders, textures (those below 20 KiB),
# a few console sessions, a replay written here over the build's map1 (the simulator plays replays
# but does not record them) and the game's own recording when the build made one (the test
# command's recorded_race writes BUILD_DIR/recorded.replay). Nothing of it is committed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "$1" && pwd)"
out="$2"
data="$build/data"
[ -d "$data/maps" ] || { echo "fuzz-seeds: $data holds no maps: build marvolin-data-run" >&2; exit 1; }
rm -rf "$out"
for t in mdl map track shader image console replay; do mkdir -p "$out/$t"; done

cp "$data"/meshes/*.mdl "$out/mdl/"
cp "$data"/maps/*.map "$out/map/"
cp "$root"/tools/data/tracks/*.track "$out/track/"
cp "$data"/shaders/* "$out/shader/"
find "$data/textures" -type f \( -name '*.jpg' -o -name '*.tga' \) -size -20k |
    while read -r f; do cp "$f" "$out/image/$(basename "$(dirname "$f")")-$(basename "$f")"; done

# Console sessions: lines typed and run (a line end is Enter), and the editing keys as the target
# reads them (8 backspace, 9 Tab, 1 Home, 2 Left, 3 Delete, 4 End, 6 Right, 7 Up, 14 Down,
# 11 Page Up, 12 Page Down, 0 the console's own key).
c="$out/console"
printf 'Help\nhelp follow\nHelp Nothing\nClear\n' >"$c/help"
printf 'Follow 3\nai_dfc 0.25\nai_tck\nai_minturn -1e3\nFollow 0\nai_dfc 2\n' >"$c/tuning"
printf 'Sound 0\nSound\nVolume 150\nVolume -5\nVolume\nShowFPS 1\nShowFPS x\n' >"$c/settings"
printf 'LoadLevel map1\nLoadLevel ../maps/x\nLoadLevel\nQuit\n' >"$c/levels"
printf 'Fol\tt 2\n\x07\x07\x0e\x01\x03\x04\x08\x08\x02\x06\n\x0b\x0b\x0c\x00\x05\x00' >"$c/editing"
printf 'Follow  +4\nFollow 2147483648\nai_dfc 1,5\nai_dfc 3.4e38\nai_dfc 1e39\n' >"$c/numbers"

# FNV-1a of a file's bytes, as the replay's map line gives it (bash's integers wrap like uint64).
fnv1a() {
    local h=-3750763034362895579 b
    for b in $(od -An -v -tu1 "$1"); do
        h=$(((h ^ b) * 1099511628211))
    done
    printf '%016x' "$h"
}
{
    echo "marvolin-replay 1"
    echo "# seed"
    echo "map map1 $(fnv1a "$data/maps/map1.map")"
    echo "car 0"
    echo "load 4735 -"
    pattern=(- W W WA WD W_ S SD - W)
    for u in $(seq 1 300); do
        echo "$u $((4735 + 25 * u)) ${pattern[$((u % ${#pattern[@]}))]}"
        [ "$u" -eq 120 ] && echo "resume 9000"
        [ "$u" -eq 150 ] && echo "tune 3 ai_dfc 0.5"
    done
    echo "end 300 0123456789abcdef quit"
} >"$out/replay/map1.replay"
[ -f "$build/recorded.replay" ] && cp "$build/recorded.replay" "$out/replay/recorded.replay"
echo "fuzz-seeds: $(find "$out" -type f | wc -l) seed files in $out"
