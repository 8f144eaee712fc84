#!/usr/bin/env bash
# Builds the installer from packaging/windows/timetable-print.wxs with wixl, then gives its
# Start-menu shortcuts their Polish names.
#
# wixl 0.101 cannot write them itself: any non-ASCII text crashes it, unless the database has a
# code page, and then it stores the UTF-8 bytes as if they were that code page's. msibuild
# (msitools' own library) converts text properly: once the database's code page is Windows-1250,
# the code page of Polish, the shortcut table is imported anew with the Polish names.
# Usage: packaging/windows/build-msi.sh VERSION SOURCE OUTPUT
#   SOURCE is the folder of the zip's files, relative to the folder this runs in, as wixl wants.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
version=$1 source=$2 output=$3

wixl -a x64 -D Version="$version" -D SourceDir="$source" -o "$output" "$here/timetable-print.wxs"

tables=$(mktemp -d)
trap 'rm -rf "$tables"' EXIT
printf '\r\n\r\n1250\t_ForceCodepage\r\n' >"$tables/_ForceCodepage.idt"
msiinfo export "$output" Shortcut >"$tables/Shortcut.idt"
python3 - "$tables/Shortcut.idt" <<'PY'
import sys

# Each shortcut's name and description in Polish, by its Id in the .wxs.
POLISH = {
    "DrawnForm": ("Rozkład jazdy", "Drukuje rozkład jazdy na drukarce domyślnej"),
    "DotMatrixForm": ("Rozkład jazdy na LPT1", "Drukuje rozkład jazdy na drukarce igłowej LPT1"),
    "ScreenForm": ("Rozkład jazdy na ekranie", "Pokazuje rozkład jazdy na ekranie"),
}

path = sys.argv[1]
with open(path, encoding="utf-8", newline="") as f:
    lines = f.read().split("\r\n")
columns = lines[0].split("\t")
name, description = columns.index("Name"), columns.index("Description")
named = set()
for number, line in enumerate(lines[3:], 3):
    fields = line.split("\t")
    if fields[0] in POLISH:
        fields[name], fields[description] = POLISH[fields[0]]
        lines[number] = "\t".join(fields)
        named.add(fields[0])
if named != set(POLISH):
    sys.exit("build-msi.sh: no shortcut %s in the installer" % ", ".join(set(POLISH) - named))
with open(path, "w", encoding="utf-8", newline="") as f:
    f.write("\r\n".join(lines))
PY
msibuild "$output" -i "$tables/_ForceCodepage.idt" -i "$tables/Shortcut.idt"
