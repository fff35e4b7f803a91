#!/usr/bin/env bash
# Reports functions over the size and complexity limits of .clang-tidy (and bugprone findings)
# for the product sources, from the test build's compile commands. Report-only: exits 0.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "No $build/compile_commands.json: run scripts/run-tests.sh first." >&2
    exit 0
fi
mapfile -t files < <(git ls-files '*.cpp' | grep -v -E '^(tests|bench)/')
clang-tidy -p "$build" --quiet "${files[@]}" 2>/dev/null | grep -E 'warning:' | sort -u
exit 0
