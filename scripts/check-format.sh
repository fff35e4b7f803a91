#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what clang-format (the root .clang-format) makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then exit 0; fi
if ! clang-format --dry-run --Werror "${files[@]}"; then
    echo "Unformatted sources: run clang-format -i on the files above." >&2
    exit 1
fi
