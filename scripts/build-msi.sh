#!/usr/bin/env bash
# Makes the Windows installer from a folder holding the zip's files: wixl builds it from
# packaging/windows/timetable-print.wxs, then msitools' msibuild does what wixl 0.101 cannot:
#  - The public properties SERVICE and CA_FILE are added to SecureCustomProperties (wixl has no
#    Secure attribute). A per-machine install passes only secure properties from msiexec's
#    command line to its elevated part, so without this a site's SERVICE=... would not reach the
#    registry under UAC.
#  - The Start-menu shortcuts get their Polish names. Any non-ASCII text crashes wixl unless the
#    database has a code page, and then it stores the UTF-8 bytes as if they were that code
#    page's. msibuild converts text properly: once the database's code page is Windows-1250, the
#    code page of Polish, the shortcut table is imported anew with the Polish names.
# Usage: scripts/build-msi.sh VERSION FOLDER OUTPUT.msi
set -euo pipefail
version=$1
folder=$(realpath "$2")
output=$(realpath -m "$3")
wxs="$(cd "$(dirname "$0")/.." && pwd)/packaging/windows/timetable-print.wxs"

# wixl looks for the files relative to the folder it runs in.
(cd "$(dirname "$folder")" && wixl -a x64 -D Version="$version" -D SourceDir="$(basename "$folder")" \
  -o "$output" "$wxs")

# msiinfo ends its lines in CR LF.
secure_properties() {
  msiinfo export "$output" Property | tr -d '\r' |
    awk -F'\t' '$1 == "SecureCustomProperties" {print $2}'
}
secure=$(secure_properties)
msibuild "$output" -q "UPDATE \`Property\` SET \`Value\` = '${secure:+$secure;}SERVICE;CA_FILE' \
WHERE \`Property\` = 'SecureCustomProperties'"
[[ $(secure_properties) == "${secure:+$secure;}SERVICE;CA_FILE" ]] ||
  { echo "SERVICE and CA_FILE are not secure in $output" >&2; exit 1; }

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
