# The real game on the test display, driven with xdotool as a player drives it: sourced by the
# scripts of tests/game, after they have set `name` (their prefix in messages) and `build` (the
# build folder with marvolin and data/). Skips (exit status 77) without a display or xdotool.
# The game runs in a scratch folder ($scratch) that the script's exit removes, together with a game
# still running; the latest game's log.txt is kept as BUILD/NAME-log.txt.

GAME_GIVE_UP_AFTER_MS=${GAME_GIVE_UP_AFTER_MS:-150000} # the game quits by itself if a script hangs
GAME_START_WAIT_S=60
CONSOLE_SLIDE_S=0.5 # the console opens or closes in a quarter of a second of updates
QUIT_WAIT_S=60

fail() { echo "$name: $*" >&2; exit 1; }
skip() { echo "$name: skipped: $*"; exit 77; }
[ -n "${DISPLAY:-}" ] || skip "no display (the test command runs under xvfb-run)"
command -v xdotool >/dev/null || skip "xdotool is missing (scripts/setup.sh clicks installs it)"

build="$(cd "$build" && pwd)"
game_program="$build/marvolin" # a script may run a copy instead
scratch="$(mktemp -d "${TMPDIR:-/tmp}/marvolin-$name-XXXXXX")"
game=
game_folder=
game_cleanup() {
    if [ -n "$game" ]; then kill -KILL "$game" 2>/dev/null || true; fi
    if [ -n "$game_folder" ]; then cp "$game_folder/log.txt" "$build/$name-log.txt" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap game_cleanup EXIT
# The sound goes to OpenAL's null output: the test machine needs no sound device.
export ALSOFT_DRIVERS=null

# game_start FOLDER [OPTION...]: the game in a window, working in FOLDER; waits for its window and
# for the end of its start-up (keys sent earlier would reach it all at once as its loop starts).
# Sets game (the process) and window; stdout and stderr go to FOLDER/output.
game_start() {
    local folder="$1"; shift
    (cd "$folder" && exec "$game_program" --window --quit-after "$GAME_GIVE_UP_AFTER_MS" "$@") \
        >"$folder/output" 2>&1 &
    game=$!
    game_folder="$folder"
    window=
    for _ in $(seq $((GAME_START_WAIT_S * 10))); do
        if ! kill -0 "$game" 2>/dev/null; then
            game_wait
            fail "the game ended at start-up ($status): $(game_said)"
        fi
        if grep -qF "start-up: done" "$folder/log.txt" 2>/dev/null; then
            window="$(xdotool search --onlyvisible --pid "$game" 2>/dev/null | head -1 || true)"
            if [ -n "$window" ]; then
                sleep 1 # the first frames, slow to draw
                return 0
            fi
        fi
        sleep 0.1
    done
    fail "no window and no end of the start-up after $GAME_START_WAIT_S s: $(game_said)"
}

game_said() { cat "$game_folder/output" "$game_folder/log.txt" 2>/dev/null | tail -40; }

# game_wait: waits for the game to end by itself; status holds its exit status.
game_wait() {
    status=0
    wait "$game" || status=$?
    game=
}

# game_xdo COMMAND...: xdotool commands, one a line, in one xdotool run (each run of xdotool
# costs a quarter of a second on a busy machine).
game_xdo() { printf '%s\n' "$@" | xdotool -; }

# game_window_xy GX GY: the window's pixel that shows the game's pixel (GX, GY), through the
# letterbox that fits the 1024 x 768 picture into the window's size of the moment.
game_window_xy() {
    local geometry w h
    geometry="$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')"
    w="${geometry%x*}"
    h="${geometry#*x}"
    awk -v gx="$1" -v gy="$2" -v w="$w" -v h="$h" 'BEGIN {
        s = w / 1024; if (h / 768 < s) s = h / 768
        pw = int(1024 * s + 0.5); ph = int(768 * s + 0.5)
        printf "%d %d\n", int((w - pw) / 2) + gx * pw / 1024, int((h - ph) / 2) + gy * ph / 768 }'
}

# game_click GX GY: a left click on the game's pixel (GX, GY), at a player's pace.
game_click() {
    game_xdo "mousemove --window $window $(game_window_xy "$1" "$2")" "sleep 0.3" "click 1" \
        "sleep 0.5"
}

# A console line typed into a game whose loop has stalled reaches it all at once, while the console
# is still sliding open and takes no text; and a script may not know whether the console is open.
# So each try toggles the console, clears its line and types; the log, or the game's end, says
# whether a try worked, and the next try toggles again.
CONSOLE_TRIES=5
console_try() {
    local toggle=("key grave" "sleep $CONSOLE_SLIDE_S")
    [ "$2" = open ] && toggle=()
    game_xdo "${toggle[@]}" "key End" "key --delay 10 --repeat 60 BackSpace" \
        "type --delay 40 \"$1\"" "key Return"
}

# game_console LINE TEXT [open]: runs LINE in the console until log.txt has a line with TEXT; the
# console is left open. "open": the console is thought to be open already.
game_console() {
    local state="${3:-}"
    for _ in $(seq "$CONSOLE_TRIES"); do
        console_try "$1" "$state"
        game_wait_log "$2" 4 && return 0
        state=
    done
    fail "the console does not run \"$1\": $(game_said)"
}

game_console_close() { game_xdo "key grave" "sleep $CONSOLE_SLIDE_S"; }

# game_wait_log TEXT [SECONDS]: whether log.txt gets a line with TEXT within SECONDS (default 10).
game_wait_log() {
    local tenths=$((${2:-10} * 10))
    for _ in $(seq "$tenths"); do
        grep -qF -- "$1" "$game_folder/log.txt" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# game_quit [open]: the console's Quit; fails unless the game ends, with status 0.
game_quit() {
    local state="${1:-}"
    for _ in $(seq "$CONSOLE_TRIES"); do
        console_try Quit "$state"
        state=
        for _ in $(seq $((QUIT_WAIT_S * 10 / CONSOLE_TRIES))); do
            kill -0 "$game" 2>/dev/null || break
            sleep 0.1
        done
        if ! kill -0 "$game" 2>/dev/null; then
            game_wait
            [ "$status" -eq 0 ] || fail "the game ended with status $status: $(game_said)"
            return 0
        fi
    done
    fail "the game does not end on the console's Quit: $(game_said)"
}

# game_check_clean [WHAT]: no sanitizer report in the game's output, no error line in its log.
game_check_clean() {
    local what="${1:-the game}"
    if grep -E 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: ' "$game_folder/output"; then
        fail "$what: a sanitizer report (above); the output was: $(head -80 "$game_folder/output")"
    fi
    if grep -E '\] error:' "$game_folder/log.txt"; then fail "$what logged an error (above)"; fi
}
