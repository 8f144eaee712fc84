#!/usr/bin/env bash
# Builds the static libraries the Windows programs link, each from Debian's source package and
# each kept once finished: libcurl with Schannel, cairo with what it draws with, and libintl.
# Usage: scripts/build-windows-libraries.sh [FOLDER]   (default build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/windows}")

scripts/build-windows-curl.sh "$out/curl"
scripts/build-windows-cairo.sh "$out/cairo"
scripts/build-windows-gettext.sh "$out/gettext"
