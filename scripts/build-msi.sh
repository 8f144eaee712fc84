#!/usr/bin/env bash
# Makes the Windows installer from a folder holding the zip's files: wixl builds it from
# packaging/windows/timetable-print.wxs, then the public properties SERVICE and CA_FILE are added
# to SecureCustomProperties, which wixl cannot do itself (it has no Secure attribute). A
# per-machine install passes only secure properties from msiexec's command line to its elevated
# part, so without this a site's SERVICE=... would not reach the registry under UAC.
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
