#!/usr/bin/env bash
# Packs the cross-built Windows programs twice, from one folder OUT/package/timetable-print: the
# two stripped exes, their message catalogues in share/locale, the project's license and that of
# the DejaVu fonts built into the programs, a short README for Windows users in English and
# Polish, and the Group Policy templates in policies/. No CA bundle: on Windows the certificate
# store is the trust.
#   OUT/timetable-print-win64.zip            the portable folder
#   OUT/timetable-print-VERSION-win64.msi    the installer, made by scripts/build-msi.sh
# With SIGN_PKCS12 (the code-signing certificate and its key, a .p12 or .pfx file) and
# SIGN_PASSWORD_FILE (a file holding its password) set, both exes are signed before they are
# packed, and then the installer; SIGN_TIMESTAMP_URL adds an RFC 3161 time stamp from that
# server, so that the signature outlives the certificate.
# Usage: scripts/pack-windows.sh PROGRAM_BUILD_FOLDER OUT
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program=$(realpath "$1")
out=$(realpath -m "$2")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$program/CMakeCache.txt")
[[ -n "$version" ]] || { echo "no project version in $program/CMakeCache.txt" >&2; exit 1; }

signing=false
if [[ -n "${SIGN_PKCS12:-}" || -n "${SIGN_PASSWORD_FILE:-}" ]]; then
  [[ -n "${SIGN_PKCS12:-}" && -n "${SIGN_PASSWORD_FILE:-}" ]] ||
    { echo "set both SIGN_PKCS12 and SIGN_PASSWORD_FILE to sign, or neither" >&2; exit 1; }
  signing=true
else
  echo "not signing: SIGN_PKCS12 and SIGN_PASSWORD_FILE are not set"
fi

# Signs a Windows program or installer in place with SHA-256. A time stamp server that does not
# answer is asked again a few times, as they are often busy for a moment.
sign() {
  local file=$1 attempts=1 attempt
  local stamp=()
  if [[ -n "${SIGN_TIMESTAMP_URL:-}" ]]; then
    stamp=(-ts "$SIGN_TIMESTAMP_URL")
    attempts=4
  fi
  for ((attempt = 1; ; attempt++)); do
    rm -f "$file.signed"
    if osslsigncode sign -pkcs12 "$SIGN_PKCS12" -readpass "$SIGN_PASSWORD_FILE" -h sha256 \
      -n timetable-print "${stamp[@]}" -in "$file" -out "$file.signed" >"$file.sign.log" 2>&1; then
      break
    fi
    if ((attempt >= attempts)); then
      cat "$file.sign.log" >&2
      rm -f "$file.signed" "$file.sign.log"
      echo "cannot sign $file (above)" >&2
      exit 1
    fi
    sleep $((attempt * 5))
  done
  mv "$file.signed" "$file"
  rm -f "$file.sign.log"
  echo "signed $file"
}

staging="$out/package/timetable-print"
rm -rf "$out/package"
mkdir -p "$staging"
for name in timetable-print.exe timetable-preview.exe; do
  x86_64-w64-mingw32-strip -o "$staging/$name" "$program/$name"
  [[ $signing == false ]] || sign "$staging/$name"
done
# Notepad of older Windows shows a text only with CR LF line ends, and takes its Polish letters
# for UTF-8 only after a byte order mark.
for readme in README.txt README-pl.txt; do
  { printf '\xEF\xBB\xBF'; sed 's/$/\r/' "$root/packaging/windows/$readme"; } >"$staging/$readme"
done
# The catalogues, share/locale/LANGUAGE/LC_MESSAGES/timetable-print.mo, where the programs look
# for them: beside themselves.
cp -r "$program/share" "$staging/share"
sed 's/$/\r/' "$root/LICENSE" >"$staging/LICENSE.txt"
sed 's/$/\r/' /usr/share/doc/fonts-dejavu-core/copyright >"$staging/DejaVu-LICENSE.txt"
cp -r "$root/packaging/windows/policies" "$staging/policies"

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
"$root/scripts/build-msi.sh" "$version" "$staging" "$msi"
[[ $signing == false ]] || sign "$msi"
echo "packed $msi"
