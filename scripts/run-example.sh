#!/usr/bin/env bash
# Installs what is needed, builds the programs and runs the main job on the bundled examples:
# the example resume goes into the example template; the output lands in out/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORV_BUILD_TESTS=OFF -DZORV_BUILD_BENCH=OFF
cmake --build build
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
