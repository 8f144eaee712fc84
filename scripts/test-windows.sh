#!/usr/bin/env bash
# Cross-builds and packs the Windows program, then runs the unit and end-to-end tests under
# wine against the same local HTTPS service as the Linux build, checks the zip's program from a
# clean folder, and the installer in a wine prefix of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(pwd)/build/windows"

scripts/package-windows.sh

# The layers as the Windows build reads them: its own headers and the includes under _WIN32.
python3 scripts/check-layers.py --build "$out/program"

# A headless wine of our own, started once for the whole run and stopped after it, so that
# ctest does not wait on wine's background processes.
export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
wineserver -p 600
trap 'wineserver -k || true' EXIT
wine cmd /c exit

ctest --test-dir "$out/program" --output-on-failure -j "$(nproc)"
