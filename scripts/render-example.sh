#!/usr/bin/env bash
# Renders the README's pictures of the example output: fills examples/template.docx and
# examples/blind-template.docx from examples/resume.txt with qarn, converts the outputs to
# PDF with LibreOffice (a private profile) and their first pages to PNG with pdftoppm.
#   bash scripts/render-example.sh [QARN]      (default: build/bin/qarn, else build-test/bin/qarn)
set -euo pipefail
cd "$(dirname "$0")/.."
qarn="${1:-}"
if [ -z "$qarn" ]; then
  for candidate in build/bin/qarn build-test/bin/qarn; do
    if [ -x "$candidate" ]; then qarn="$candidate"; break; fi
  done
fi
if [ -z "$qarn" ] || [ ! -x "$qarn" ]; then
  echo "qarn not found: build it first (bash scripts/run-example.sh) or name it" >&2
  exit 1
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp examples/resume.txt "$work/profile.txt"
cp examples/resume.txt "$work/blind.txt"
"$qarn" create "$work/profile.txt" examples/template.docx >/dev/null
"$qarn" create "$work/blind.txt" examples/blind-template.docx >/dev/null
soffice "-env:UserInstallation=file://$work/office-profile" --headless --convert-to pdf \
  --outdir "$work" "$work/profile_QX.docx" "$work/blind_QX.docx" >/dev/null 2>&1
resolution=70
pdftoppm -png -r "$resolution" -f 1 -l 1 -singlefile "$work/profile_QX.pdf" examples/example-output
pdftoppm -png -r "$resolution" -f 1 -l 1 -singlefile "$work/blind_QX.pdf" examples/example-blind-output
echo "Wrote examples/example-output.png and examples/example-blind-output.png" >&2
