#!/usr/bin/env bash
# Formats every C++ file of the project with its .clang-format; with --check, changes nothing and
# fails (naming the files) when any file is not formatted.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if ! command -v clang-format >/dev/null 2>&1; then
    echo "format: clang-format is missing (Debian package clang-format; scripts/setup.sh installs it)" >&2
    exit 1
fi
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
    mapfile -t files < <(find src tools tests benchmarks -name '*.cpp' -o -name '*.h' | sort)
fi
if [ "${1:-}" = "--check" ]; then
    unformatted=()
    for f in "${files[@]}"; do
        clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
    done
    if [ ${#unformatted[@]} -gt 0 ]; then
        echo "format: not formatted with .clang-format (run scripts/format.sh):" >&2
        printf '  %s\n' "${unformatted[@]}" >&2
        exit 1
    fi
    echo "format: ${#files[@]} files formatted"
else
    clang-format -i "${files[@]}"
fi
