#!/usr/bin/env bash
# Builds the fuzz build (build/fuzz: clang++, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs every fuzz target (tests/fuzz) for SECONDS each, one after the other, on one core:
#     scripts/fuzz.sh [SECONDS]          default 60
#     scripts/fuzz.sh --repeatable       the test command's short run: about 30 s a target
# The repeatable run is the same run on every machine: a fixed seed, a fixed number of inputs per
# target (about 30 s each here) and only the seeds and the regression inputs to start from, so a
# fault it finds is found again by the next run, and a run that passed passes again.
# Each target starts from its seed corpus (scripts/fuzz-seeds.sh, from the build's data/), the
# committed regression inputs (tests/fuzz/regressions/<target>) and what earlier runs found
# (build/fuzz/corpus/<target>, where new inputs go). An input that crashes, hangs (10 s), runs out
# of memory (2 GiB) or breaks a target's check is written to build/fuzz/crashes/ and fails the run:
# copy it into the regression corpus once the loader is mended. Without clang's libFuzzer the run
# is skipped with a line saying so (exit 0).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
repeatable=0
if [ "${1:-}" = "--repeatable" ]; then repeatable=1; shift; fi
seconds="${1:-60}"
# Inputs per target in the repeatable run, from their speeds in the fuzz build.
declare -A repeatable_runs=([mdl]=80000 [map]=90000 [track]=50000 [shader]=600000 [image]=25000
                            [console]=130000 [replay]=120000)
build="$root/build/fuzz"
targets=(mdl map track shader image console replay)

probe="$(mktemp -d)"
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
    >"$probe/probe.cpp"
if ! command -v clang++ >/dev/null 2>&1 ||
   ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1; then
    echo "fuzz: skipped: clang++ with libFuzzer is not available (Debian libclang-rt-14-dev)"
    exit 0
fi

cmake -S "$root" -B "$build" -DMARVOLIN_FUZZ=ON -DMARVOLIN_WERROR=ON \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARVOLIN_BUILD_BENCHMARKS=OFF \
      -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}" marvolin-data-run
"$root/scripts/fuzz-seeds.sh" "$build" "$build/seeds"

mkdir -p "$build/crashes"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=()
for t in "${targets[@]}"; do
    if [ "$repeatable" = 1 ]; then
        corpus="$build/repeatable/$t"
        rm -rf "$corpus"
        length=(-seed=1 -runs="${repeatable_runs[$t]}")
        echo "fuzz: $t for ${repeatable_runs[$t]} inputs from seed 1"
    else
        corpus="$build/corpus/$t"
        length=(-max_total_time="$seconds")
        echo "fuzz: $t for $seconds s"
    fi
    mkdir -p "$corpus"
    if ! "$build/fuzz_$t" "${length[@]}" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$build/crashes/$t-" \
            "$corpus" "$build/seeds/$t" "$root/tests/fuzz/regressions/$t" \
            >"$build/fuzz-$t.log" 2>&1; then
        failed+=("$t")
        tail -n 40 "$build/fuzz-$t.log"
    fi
    grep -E '^#[0-9]+.*(DONE|cov:)' "$build/fuzz-$t.log" | tail -n 1 || true
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: faults found by ${failed[*]}: inputs in $build/crashes (logs: $build/fuzz-*.log)" >&2
    exit 1
fi
echo "fuzz: every target ran without a fault"
