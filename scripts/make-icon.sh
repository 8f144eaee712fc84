#!/usr/bin/env bash
# Turns the icon's drawing into a Windows icon file of the sizes Explorer, the Start menu and
# Settings > Apps ask for: 16, 32 and 48 pixels as bitmaps, which every Windows reads, and 256 as
# PNG, which keeps the file small. rsvg-convert (librsvg2-bin) draws, icotool (icoutils) packs.
# Usage: scripts/make-icon.sh DRAWING.svg OUTPUT.ico
set -euo pipefail
drawing=$1
output=$2
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
for size in 16 32 48 256; do
  rsvg-convert -w "$size" -h "$size" -o "$pictures/$size.png" "$drawing"
done
icotool -c -o "$output.new" "$pictures/16.png" "$pictures/32.png" "$pictures/48.png" \
  -r "$pictures/256.png"
mv "$output.new" "$output"
