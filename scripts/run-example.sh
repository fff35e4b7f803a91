#!/usr/bin/env bash
# Installs what is needed, builds the programs and runs the main job on the bundled examples:
# the example resume goes into the example template; the output lands in out/.
# With --window it starts the window program ZorvQarn instead (under Xvfb, for a short while,
# when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORV_BUILD_TESTS=OFF -DZORV_BUILD_BENCH=OFF \
    "${launcher[@]}"
cmake --build build

if [ "${1:-}" = "--window" ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Running: build/bin/ZorvQarn (Close ends it)" >&2
    exec build/bin/ZorvQarn
  fi
  seconds="${ZORV_WINDOW_SECONDS:-10}"
  echo "No display: running build/bin/ZorvQarn under Xvfb for ${seconds} seconds" >&2
  status=0
  xvfb-run -a timeout "$seconds" build/bin/ZorvQarn || status=$?
  if [ "$status" -eq 124 ]; then
    echo "The window started and was still open after ${seconds} seconds." >&2
    exit 0
  fi
  echo "The window ended by itself (status ${status})." >&2
  exit 1
fi
mkdir -p out
cp examples/resume.txt out/resume.txt
cp examples/template.docx out/template.docx
echo "Running: build/bin/qarn create out/resume.txt out/template.docx" >&2
if build/bin/qarn create out/resume.txt out/template.docx; then
  echo "The filled resume and the HR-XML file are at the paths above." >&2
else
  echo "The run did not complete; see the messages above." >&2
  exit 1
fi
