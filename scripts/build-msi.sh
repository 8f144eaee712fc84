#!/usr/bin/env bash
# Makes the Windows installer from a folder holding the zip's files: wixl builds it from
# packaging/windows/timetable-print.wxs, with the icon drawn from packaging/icon/timetable-print.svg
# (scripts/make-icon.sh), then msitools' msibuild does what wixl 0.101 cannot:
#  - The public properties SERVICE, CA_FILE, PROXY, DESTINATION, EVENTS and OFFLINE are added to
#    SecureCustomProperties (wixl has no Secure attribute). A per-machine install passes only
#    secure properties from msiexec's command line to its elevated part, so without this a site's
#    SERVICE=... would not reach the registry under UAC.
#  - MsiHiddenProperties lists the properties that may hold a password, PROXY and the SAVED_PROXY
#    it is kept from, so that msiexec's log (/l*v) shows none of them.
#  - The major upgrade also replaces an installed build of the same version (wixl has no
#    AllowSameVersionUpgrades): the Upgrade row that finds older versions to remove gets
#    msidbUpgradeAttributesVersionMaxInclusive, so a rebuilt installer of a release replaces the
#    first rather than being installed beside it.
#  - The Start-menu shortcuts get their Polish names. Any non-ASCII text crashes wixl unless the
#    database has a code page, and then it stores the UTF-8 bytes as if they were that code
#    page's. msibuild converts text properly: once the database's code page is Windows-1250, the
#    code page of Polish, the shortcut table is imported anew with the Polish names.
# Usage: scripts/build-msi.sh VERSION FOLDER OUTPUT.msi
set -euo pipefail
version=$1
folder=$(realpath "$2")
output=$(realpath -m "$3")
root="$(cd "$(dirname "$0")/.." && pwd)"
wxs="$root/packaging/windows/timetable-print.wxs"

tables=$(mktemp -d)
trap 'rm -rf "$tables"' EXIT
"$root/scripts/make-icon.sh" "$root/packaging/icon/timetable-print.svg" "$tables/timetable-print.ico"

# wixl looks for the files relative to the folder it runs in, and takes no absolute path.
icon=$(realpath --relative-to="$(dirname "$folder")" "$tables/timetable-print.ico")
(cd "$(dirname "$folder")" && wixl -a x64 -D Version="$version" -D SourceDir="$(basename "$folder")" \
  -D Icon="$icon" -o "$output" "$wxs")

# msiinfo ends its lines in CR LF.
secure_properties() {
  msiinfo export "$output" Property | tr -d '\r' |
    awk -F'\t' '$1 == "SecureCustomProperties" {print $2}'
}
secure=$(secure_properties)
site_properties="SERVICE;CA_FILE;PROXY;DESTINATION;EVENTS;OFFLINE"
msibuild "$output" -q "UPDATE \`Property\` SET \`Value\` = '${secure:+$secure;}$site_properties' \
WHERE \`Property\` = 'SecureCustomProperties'"
[[ $(secure_properties) == "${secure:+$secure;}$site_properties" ]] ||
  { echo "$site_properties are not all secure in $output" >&2; exit 1; }
hidden_properties="PROXY;SAVED_PROXY"
msibuild "$output" -q "INSERT INTO \`Property\` (\`Property\`, \`Value\`) \
VALUES ('MsiHiddenProperties', '$hidden_properties')"
msiinfo export "$output" Property | tr -d '\r' | grep -qx "MsiHiddenProperties	$hidden_properties" ||
  { echo "MsiHiddenProperties is not $hidden_properties in $output" >&2; exit 1; }

# The row of the Upgrade table that finds the older versions the major upgrade removes. Its
# Attributes are part of the table's key, which SQL cannot change, so the table is imported anew.
version_max_inclusive=512
upgrade_attributes() {
  msiinfo export "$output" Upgrade | tr -d '\r' |
    awk -F'\t' '$7 == "WIX_UPGRADE_DETECTED" {print $5}'
}
attributes=$(upgrade_attributes)
[[ $attributes =~ ^[0-9]+$ ]] || { echo "no upgrade row in $output" >&2; exit 1; }
msiinfo export "$output" Upgrade |
  awk -F'\t' -v OFS='\t' -v inclusive=$((attributes | version_max_inclusive)) \
    'NR > 3 && $7 == "WIX_UPGRADE_DETECTED\r" {$5 = inclusive} {print}' >"$tables/Upgrade.idt"
msibuild "$output" -i "$tables/Upgrade.idt"
(($(upgrade_attributes) & version_max_inclusive)) ||
  { echo "the upgrade of $output does not replace the same version" >&2; exit 1; }

printf '\r\n\r\n1250\t_ForceCodepage\r\n' >"$tables/_ForceCodepage.idt"
msiinfo export "$output" Shortcut >"$tables/Shortcut.idt"
python3 - "$tables/Shortcut.idt" <<'PY'
import sys

# Each shortcut's name and description in Polish, by its Id in the .wxs.
POLISH = {
    "DrawnForm": ("Rozkład jazdy", "Drukuje rozkład jazdy na drukarce wskazanej w ustawieniach"),
    "DotMatrixForm": ("Rozkład jazdy na LPT1", "Drukuje rozkład jazdy na drukarce igłowej LPT1"),
    "ScreenForm": ("Rozkład jazdy na ekranie", "Pokazuje rozkład jazdy na ekranie"),
    "ConnectionCheck": ("Sprawdź połączenie",
                        "Sprawdza, czy program może połączyć się z usługą rozkładu jazdy"),
    "Reprint": ("Drukuj ponownie ostatni formularz",
                "Drukuje ponownie ostatni rozkład jazdy"),
    "ReprintLpt1": ("Drukuj ponownie ostatni formularz na LPT1",
                    "Drukuje ponownie ostatni rozkład jazdy na drukarce igłowej LPT1"),
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
