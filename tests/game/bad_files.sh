#!/usr/bin/env bash
# The game with one file of its data broken at a time, in a copy of the build's game and data:
# a texture that is no image, one missing, two cut short (JPEG and TGA), an empty shader file and
# a missing sound must each get a line in log.txt naming the file, and a game that runs on
# (a placeholder texture, no shader, no sound): the console's LoadLevel starts a race, which is
# driven a moment, and Quit ends the game with status 0. A model file missing or cut short ends
# the start-up instead: status 1, and its name in log.txt and on stderr.
#     bad_files.sh BUILD_FOLDER        (exit status 77: skipped, and why)
set -euo pipefail
name=bad_files
build="$1"
# shellcheck source=tests/game/game-run.sh
source "$(dirname "${BASH_SOURCE[0]}")/game-run.sh"

cp "$build/marvolin" "$scratch/marvolin"
game_program="$scratch/marvolin"
cases=0

# fresh_copy: a folder of its own with the whole data, for one broken file.
fresh_copy() {
    cases=$((cases + 1))
    folder="$scratch/case$cases"
    mkdir "$folder"
    cp -r "$build/data" "$folder/data"
}

# runs_on WHAT FILE LOG_TEXT: the game in $folder, where FILE (under data/) has been broken as WHAT
# says, must log a line holding the file's name and LOG_TEXT, then race and quit with 0.
runs_on() {
    local what="$1" file="$2" text="$3" base
    base="$(basename "$file")"
    game_start "$folder"
    game_console "LoadLevel map1" "console: LoadLevel map1: the race starts"
    game_console_close
    game_xdo "keydown w" "sleep 1.5" "keyup w"
    game_quit
    grep -i -F "$base" "$folder/log.txt" | grep -q -F "$text" ||
        fail "$what: no line in log.txt names $base with \"$text\":"$'\n'"$(cat "$folder/log.txt")"
    game_check_clean "the game with $what"
    echo "$name: $what: $(grep -i -F "$base" "$folder/log.txt" | grep -F "$text" | head -1 | sed "s/^\[[^]]*\] //")"
}

# ends_start_up WHAT FILE: the game in $folder, where FILE has been broken, must end its start-up
# with status 1, naming the file in log.txt and on stderr.
ends_start_up() {
    local what="$1" file="$2" base
    base="$(basename "$file")"
    (cd "$folder" && exec "$game_program" --window --quit-after "$GAME_GIVE_UP_AFTER_MS") \
        >"$folder/output" 2>&1 && status=0 || status=$?
    game_folder="$folder"
    [ "$status" -eq 1 ] || fail "$what: the game's status is $status, not 1: $(game_said)"
    grep -F "error:" "$folder/log.txt" | grep -q -i -F "$base" ||
        fail "$what: log.txt names no $base in an error line:"$'\n'"$(cat "$folder/log.txt")"
    grep -q -i -F "$base" "$folder/output" || fail "$what: stderr does not name $base"
    if grep -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$folder/output"; then
        fail "$what: a sanitizer report (above)"
    fi
    echo "$name: $what: status 1, $(grep -F "error:" "$folder/log.txt" | head -1 | sed "s/^\[[^]]*\] //")"
}

cut_short() { head -c $(($(stat -c %s "$1") / 3)) "$1" >"$1.cut" && mv "$1.cut" "$1"; }

fresh_copy
echo "this is no image" >"$folder/data/textures/cars/player.jpg"
runs_on "a texture that is no image" textures/cars/player.jpg "placeholder"

fresh_copy
rm "$folder/data/textures/road.jpg"
runs_on "a missing texture" textures/road.jpg "placeholder"

fresh_copy
cut_short "$folder/data/textures/table.jpg"
runs_on "a JPEG texture cut short" textures/table.jpg "placeholder"

fresh_copy
cut_short "$folder/data/textures/cursor.tga"
runs_on "a TGA texture cut short" textures/cursor.tga "placeholder"

fresh_copy
: >"$folder/data/shaders/billboard.txt"
runs_on "an empty shader file" shaders/billboard.txt "warning: shader"

fresh_copy
rm "$folder/data/sounds/engine.wav"
runs_on "a missing sound" sounds/engine.wav "warning: sound"

fresh_copy
rm "$folder/data/meshes/supra.mdl"
ends_start_up "a missing model" meshes/supra.mdl

fresh_copy
cut_short "$folder/data/meshes/stepler.mdl"
ends_start_up "a model cut short" meshes/stepler.mdl
echo "$name: $cases broken files, each told in log.txt"
