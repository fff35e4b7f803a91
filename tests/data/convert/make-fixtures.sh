#!/bin/sh
# Regenerates the LibreOffice-made fixtures from the flat ODF sources in this folder, and
# the hand-made PDFs. Needs LibreOffice (writer) and python3.
set -e
cd "$(dirname "$0")"
profile=$(mktemp -d)
office() { soffice -env:UserInstallation=file://$profile --headless "$@" >/dev/null 2>&1; }
office --convert-to pdf resume.fodt two-column.fodt
office --convert-to docx resume.fodt
office --convert-to rtf resume.fodt
office --convert-to doc resume.fodt
mkdir -p "$profile/enc"
office --convert-to 'pdf:writer_pdf_Export:{"EncryptFile":{"type":"boolean","value":"true"},"DocumentOpenPassword":{"type":"string","value":"secret"}}' --outdir "$profile/enc" two-column.fodt
mv "$profile/enc/two-column.pdf" encrypted.pdf
python3 make-pdfs.py
python3 make-wpd.py
rm -rf "$profile"
