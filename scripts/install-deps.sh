#!/usr/bin/env bash
# Installs every Debian package that building, running and testing ZorvQarn needs.
# Idempotent and non-interactive; refreshes the package lists only when a package is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libxml2-dev libzip-dev
  libpoppler-cpp-dev libwpd-dev librevenge-dev
  libphonenumber-dev libprotobuf-dev libicu-dev libboost-dev
  libuchardet-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libreoffice-writer-nogui
  xvfb xauth fonts-dejavu-core
  poppler-utils
  iso-codes libgeonames0 libgeonames-common
  libtesseract-dev libleptonica-dev tesseract-ocr-osd tesseract-ocr-eng tesseract-ocr-fra
  tesseract-ocr-deu tesseract-ocr-spa tesseract-ocr-nld tesseract-ocr-por tesseract-ocr-ita
  tesseract-ocr
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
