#!/usr/bin/env bash
# The game as a player gets it: installed by cmake --install into a scratch prefix, started from an
# unrelated folder that it may not write to. It must run, find its data beside its binary, write
# its log into $XDG_STATE_HOME/marvolin and leave the working folder as it was.
#     installed_game.sh BUILD_FOLDER        (exit status 77: skipped, and why)
set -euo pipefail
build="$1"
QUIT_AFTER_MS=2000

fail() { echo "installed_game: $*" >&2; exit 1; }
skip() { echo "installed_game: skipped: $*"; exit 77; }

[ -n "${DISPLAY:-}" ] || skip "no display (the test command runs under xvfb-run)"
# Root may write into any folder; as root without its capabilities the game is held to the
# folder's permissions as a player is.
as_player=()
if [ "$(id -u)" -eq 0 ]; then
    as_player=(setpriv --bounding-set=-all --inh-caps=-all)
    "${as_player[@]}" true 2>/dev/null || skip "root cannot drop its capabilities here (setpriv)"
fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/marvolin-installed-XXXXXX")"
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" ||
    fail "cmake --install failed: $(cat "$scratch/install.log")"
mkdir "$scratch/elsewhere" "$scratch/state"
chmod 555 "$scratch/elsewhere"

status=0
(cd "$scratch/elsewhere" &&
    XDG_STATE_HOME="$scratch/state" ALSOFT_DRIVERS=null "${as_player[@]}" "$prefix/bin/marvolin" --window \
        --quit-after "$QUIT_AFTER_MS") >"$scratch/output" 2>&1 || status=$?
log="$scratch/state/marvolin/log.txt"
[ "$status" -eq 0 ] || fail "the installed game exited with $status: $(cat "$scratch/output")"
[ -f "$log" ] || fail "no log at $log; the game said: $(cat "$scratch/output")"
grep -qF "data: $prefix/share/marvolin/data (installed" "$log" ||
    fail "the log does not name the installed data:"$'\n'"$(cat "$log")"
grep -qF "quitting after $QUIT_AFTER_MS ms" "$log" || fail "the game's loop did not run to the end"
if grep -E '\] (warning|error):' "$log"; then fail "the installed game warned (above)"; fi
[ -z "$(ls -A "$scratch/elsewhere")" ] || fail "the game wrote into its working folder"
echo "installed_game: ran from a read-only folder with the data of $prefix/share/marvolin/data"
