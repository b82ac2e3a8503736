#!/usr/bin/env bash
# A minute of random input to the real game: key presses (letters, digits, arrows, Space, Enter,
# Escape, the console key and its editing keys, the F-keys, Alt+Enter), driving keys held and let
# go, mouse moves, clicks and wheel turns, across the menu, races, pauses and the console; and a
# random gamepad (MARVOLIN_RANDOM_PAD: the game plugs in SDL's virtual pad and feeds it). The seed
# is printed; MARVOLIN_MONKEY_SEED repeats a run. Afterwards the game must still answer the
# console (LoadLevel map2 starts a race, as log.txt says), end with status 0 on Quit, and have
# logged no error, and its sanitizers (in the sanitizer build) must have reported nothing.
#     monkey.sh BUILD_FOLDER [SECONDS]        (exit status 77: skipped, and why)
set -euo pipefail
name=monkey
build="$1"
MONKEY_S="${2:-60}"
# shellcheck source=tests/game/game-run.sh
source "$(dirname "${BASH_SOURCE[0]}")/game-run.sh"

seed="${MARVOLIN_MONKEY_SEED:-$(( $(date +%s) % 32768 ))}"
echo "monkey: seed $seed (MARVOLIN_MONKEY_SEED=$seed repeats this run)"
RANDOM="$seed"

# The menu's Quit button (its centre 100, 550; 128 x 32) with a margin: the pointer never rests
# there, in the window or in full screen (F11 and Alt+Enter switch), so that no click, however
# late the game takes it, ends the game before the test does.
QUIT_LEFT=12 QUIT_RIGHT=188 QUIT_TOP=510 QUIT_BOTTOM=590
ACTION_PAUSE_S=0.06
# Not Tab: the console would complete a typed "q" to Quit.
KEYS=(a b c d e f g h i j k l m n o p q r s t u v w x y z 0 1 2 3 4 5 6 7 8 9
      Up Down Left Right space Return Escape grave BackSpace Delete Home End Prior Next
      F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12 alt+Return)
DRIVING=(w a s d Up Down Left Right space)
# The menu's other buttons, game pixels: aimed at now and then, so that the run gets into races
# (New Game, Next, Next) and back.
BUTTONS=("100 400" "100 450" "100 500" "375 650" "675 650" "525 650" "525 450")
COMMANDS=("LoadLevel map" "LoadLevel map" "LoadLevel map" "LoadLevel nosuch" "Follow " "ShowFPS 1" "ShowFPS 0" "Sound 0"
          "Sound 1" "Volume " "ai_dfc 0.5" "ai_tck 2" "ai_minturn 0.1" "Help" "Clear" "Help Follow")
declare -A held=()

scratch_game="$scratch/game"
mkdir "$scratch_game"
ln -s "$build/data" "$scratch_game/data"
MARVOLIN_RANDOM_PAD="$seed" game_start "$scratch_game"
grep -q "gamepad: a random pad is plugged in" "$scratch_game/log.txt" ||
    echo "monkey: the game plugged in no random pad; keys and mouse only"

# Screen pixels: the window where the game opened it, and the full screen.
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y: the window's corner
window_x="$X" window_y="$Y"
full_scale_per_mille=$(( screen_w * 1000 / 1024 < screen_h * 1000 / 768 ?
                         screen_w * 1000 / 1024 : screen_h * 1000 / 768 ))
full_x=$(( (screen_w - 1024 * full_scale_per_mille / 1000) / 2 ))
full_y=$(( (screen_h - 768 * full_scale_per_mille / 1000) / 2 ))

off_quit() { # GX GY, clamped to the picture as the game clamps the pointer
    local x=$(( $1 < 0 ? 0 : $1 > 1023 ? 1023 : $1 )) y=$(( $2 < 0 ? 0 : $2 > 767 ? 767 : $2 ))
    [ "$x" -lt "$QUIT_LEFT" ] || [ "$x" -gt "$QUIT_RIGHT" ] || [ "$y" -lt "$QUIT_TOP" ] ||
        [ "$y" -gt "$QUIT_BOTTOM" ]
}

safe_point() { # a random screen pixel off the Quit button in both the window and the full screen
    local x y
    while :; do
        x=$((RANDOM * screen_w / 32768)) y=$((RANDOM * screen_h / 32768))
        off_quit $((x - window_x)) $((y - window_y)) &&
            off_quit $(( (x - full_x) * 1000 / full_scale_per_mille )) \
                     $(( (y - full_y) * 1000 / full_scale_per_mille )) && break
    done
    echo "mousemove $x $y"
}

aim_button() { # at a menu button, where it is if the window is as the script thinks
    local button="${BUTTONS[RANDOM % ${#BUTTONS[@]}]}" x y
    x="${button% *}" y="${button#* }"
    if [ "$full" -eq 1 ]; then
        x=$((full_x + x * full_scale_per_mille / 1000)) y=$((full_y + y * full_scale_per_mille / 1000))
    else
        x=$((window_x + x)) y=$((window_y + y))
    fi
    off_quit $((x - window_x)) $((y - window_y)) &&
        off_quit $(( (x - full_x) * 1000 / full_scale_per_mille )) \
                 $(( (y - full_y) * 1000 / full_scale_per_mille )) &&
        echo "mousemove $x $y" && echo "click 1"
}

console_command() { # the console key and a command, whatever the console's state
    local command="${COMMANDS[RANDOM % ${#COMMANDS[@]}]}"
    case "$command" in
    *" ") command="$command$((RANDOM % 7))" ;;
    *map) command="$command$((1 + RANDOM % 11))" ;;
    esac
    echo "key grave"
    echo "sleep 0.3"
    echo "type --delay 30 \"$command\""
    echo "key Return"
}

toggle_held() {
    local key="${DRIVING[RANDOM % ${#DRIVING[@]}]}"
    if [ -n "${held[$key]:-}" ]; then
        echo "keyup $key"
        unset "held[$key]"
    else
        echo "keydown $key"
        held[$key]=1
    fi
}

# The run as one xdotool script, longer than xdotool gets through in MONKEY_S seconds (its pauses
# alone add up to that): it is cut off then, and every key it may have held is let go.
script="$scratch/monkey.xdo"
paused_ms=0
full=0 # the script's guess: F11 and Alt+Enter switch
while [ "$paused_ms" -lt $((MONKEY_S * 1000)) ]; do
    roll=$((RANDOM % 100))
    if [ "$roll" -lt 32 ]; then
        key="${KEYS[RANDOM % ${#KEYS[@]}]}"
        case "$key" in F11 | alt+Return) full=$((1 - full)) ;; esac
        echo "key $key"
    elif [ "$roll" -lt 36 ]; then
        console_command
    elif [ "$roll" -lt 40 ]; then
        aim_button || true
    elif [ "$roll" -lt 54 ]; then
        toggle_held
    elif [ "$roll" -lt 70 ]; then
        safe_point
    elif [ "$roll" -lt 85 ]; then
        safe_point
        if [ $((RANDOM % 4)) -eq 0 ]; then echo "click 3"; else echo "click 1"; fi
    elif [ "$roll" -lt 95 ]; then
        echo "click $((4 + RANDOM % 2))" # the wheel, one way or the other
    else
        echo "sleep 0.5" # let a race run a little
        paused_ms=$((paused_ms + 500))
    fi
    echo "sleep $ACTION_PAUSE_S"
    paused_ms=$((paused_ms + 60))
done >"$script"

timeout "$MONKEY_S" xdotool "$script" >"$scratch/xdotool.out" 2>&1 &
monkey=$!
while kill -0 "$monkey" 2>/dev/null; do
    if ! kill -0 "$game" 2>/dev/null; then
        kill "$monkey" 2>/dev/null || true
        game_wait
        fail "the game ended ($status) under the monkey: $(game_said)"
    fi
    sleep 0.2
done
xdotool_status=0
wait "$monkey" || xdotool_status=$?
[ "$xdotool_status" -eq 0 ] || [ "$xdotool_status" -eq 124 ] ||
    fail "xdotool failed on the monkey's script: $(cat "$scratch/xdotool.out")"
game_xdo "keyup ${DRIVING[*]} alt"
sleep 0.5

# The console may be open, closed or sliding, its line holding random text (and the random pad's
# Start, an Escape, may close it during a try).
game_console "LoadLevel map2" "console: LoadLevel map2: the race starts"
races="$(grep -c "the race starts" "$scratch_game/log.txt" || true)"
game_quit open
game_check_clean "the game under the monkey"
echo "monkey: $MONKEY_S s of random actions (seed $seed; races loaded from the console: $races);" \
    "the console answered at the end, and Quit ended the game with 0"
