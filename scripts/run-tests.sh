#!/usr/bin/env bash
# Installs what is needed, builds with AddressSanitizer and UBSan, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORV_SANITIZE=ON "${launcher[@]}"
cmake --build build-test
cd build-test
ctest --output-on-failure --timeout 600 "$@"
