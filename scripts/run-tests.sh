#!/usr/bin/env bash
# Installs what is needed, checks the formatting, builds with AddressSanitizer and UBSan
# (warnings are errors), and runs every test; the parser process tests run under
# ThreadSanitizer too.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-format.sh
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORV_SANITIZE=ON -DZORV_WERROR=ON "${launcher[@]}"
cmake --build build-test

# The parser client and its server processes, again under ThreadSanitizer. Run before ctest
# and not beside it: these tests end parser processes of their own.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORV_TSAN=ON -DZORV_WERROR=ON \
    -DZORV_BUILD_BENCH=OFF "${launcher[@]}"
cmake --build build-tsan --target parser_tests TestZorvPr ZorvPr qarn
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/parser/parser_tests --gtest_brief=1

cd build-test
ctest --output-on-failure --timeout 600 "$@"
