#!/usr/bin/env bash
# Sets everything up, builds the project twice (g++, and clang++ with AddressSanitizer and
# UndefinedBehaviorSanitizer), and runs the whole test suite in both builds, then every fuzz target
# for about 30 s (scripts/fuzz.sh --repeatable). Tests that need a display get a virtual one from
# Xvfb when none is set.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" test clicks
jobs="$(nproc)"

run_suite() {
    local dir="$1"; shift
    cmake -S "$root" -B "$dir" -DMARVOLIN_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs")
}

main() {
    "$root/scripts/format.sh" --check
    run_suite "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
              -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite "$root/build/asan" -DCMAKE_BUILD_TYPE=Debug -DMARVOLIN_SANITIZE=ON \
              -DMARVOLIN_BUILD_BENCHMARKS=OFF \
              -DMARVOLIN_OTHER_BUILD_REPLAY="$root/build/test/recorded.replay" \
              -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
    "$root/scripts/fuzz.sh" --repeatable # about 30 s a target; skips where libFuzzer is missing
    echo "test: all suites passed"
}

if [ -z "${DISPLAY:-}" ] && [ -z "${MARVOLIN_IN_XVFB:-}" ]; then
    MARVOLIN_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
main
