#!/usr/bin/env bash
# Builds the Windows programs and packs them twice, from one folder build/windows/package/
# timetable-print: the two stripped exes, their message catalogues in share/locale, the license
# of the DejaVu fonts built into them and a short README for Windows users in English and Polish.
# No CA bundle: on Windows the certificate store is the trust.
#   build/windows/timetable-print-win64.zip            the portable folder
#   build/windows/timetable-print-VERSION-win64.msi    the installer, made by wixl
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh
scripts/install-deps.sh fonts-dejavu-core wixl msitools binutils-mingw-w64-x86-64

out=build/windows
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/program/CMakeCache.txt")
[[ -n "$version" ]] || { echo "no project version in $out/program/CMakeCache.txt" >&2; exit 1; }

staging="$out/package/timetable-print"
rm -rf "$out/package"
mkdir -p "$staging"
for program in timetable-print.exe timetable-preview.exe; do
  x86_64-w64-mingw32-strip -o "$staging/$program" "$out/program/$program"
done
# Notepad of older Windows shows a text only with CR LF line ends, and takes its Polish letters
# for UTF-8 only after a byte order mark.
for readme in README.txt README-pl.txt; do
  { printf '\xEF\xBB\xBF'; sed 's/$/\r/' "packaging/windows/$readme"; } >"$staging/$readme"
done
# The catalogues, share/locale/LANGUAGE/LC_MESSAGES/timetable-print.mo, where the programs look
# for them: beside themselves.
cp -r "$out/program/share" "$staging/share"
sed 's/$/\r/' /usr/share/doc/fonts-dejavu-core/copyright >"$staging/DejaVu-LICENSE.txt"

python3 - "$staging" "$out/timetable-print-win64.zip" <<'PY'
import os
import sys
import zipfile

staging, zip_path = sys.argv[1:]
with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as package:
    for folder, folders, names in os.walk(staging):
        folders.sort()
        for name in sorted(names):
            path = os.path.join(folder, name)
            package.write(path, "timetable-print/" + os.path.relpath(path, staging).replace(os.sep, "/"))
print("packed " + zip_path)
PY

msi="$out/timetable-print-$version-win64.msi"
scripts/build-msi.sh "$version" "$staging" "$msi"
echo "packed $msi"
