#!/usr/bin/env bash
# Sets everything up, builds the game and its data, and starts it. Extra arguments go to the game
# (for example --window).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" play
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release \
      -DMARVOLIN_BUILD_TESTS=OFF -DMARVOLIN_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$root/build/release" -j"$(nproc)" --target marvolin marvolin-data-run
cd "$root/build/release"       # the game reads data/ from its working directory
exec ./marvolin "$@"
