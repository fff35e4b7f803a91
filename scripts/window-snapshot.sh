#!/usr/bin/env bash
# Saves a picture of the main window, drawn on the offscreen platform, at
# build-test/screenshots/frmZorvQarn.png or at the path given; builds what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZORV_BUILD_DIR:-build-test}
out=${1:-$build/screenshots/frmZorvQarn.png}
cmake --build "$build" --target window_snapshot
mkdir -p "$(dirname "$out")"
QT_QPA_PLATFORM=offscreen "$build/tests/window/window_snapshot" "$out"
echo "$out"
