#!/usr/bin/env bash
# Installs what is needed, checks the formatting, builds with AddressSanitizer and UBSan
# (warnings are errors), and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-format.sh
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORV_SANITIZE=ON -DZORV_WERROR=ON "${launcher[@]}"
cmake --build build-test
cd build-test
ctest --output-on-failure --timeout 600 "$@"
