#!/usr/bin/env bash
# Builds the Windows programs and packs them (scripts/pack-windows.sh, which signs them when
# SIGN_PKCS12 and SIGN_PASSWORD_FILE are set):
#   build/windows/timetable-print-win64.zip            the portable folder
#   build/windows/timetable-print-VERSION-win64.msi    the installer, made by wixl
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh
scripts/install-deps.sh fonts-dejavu-core wixl msitools binutils-mingw-w64-x86-64 osslsigncode \
  librsvg2-bin icoutils
scripts/pack-windows.sh build/windows/program build/windows
