#!/usr/bin/env bash
# Builds the Windows programs and packs build/windows/timetable-print-win64.zip: the two exes, a
# cacert.pem from Debian's CA bundle, the license of the DejaVu fonts built into them and a
# short README for Windows users.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh
scripts/install-deps.sh ca-certificates fonts-dejavu-core
python3 - <<'PY'
import zipfile

def crlf(path):
    with open(path, encoding="utf-8") as f:
        return f.read().replace("\n", "\r\n")

zip_path = "build/windows/timetable-print-win64.zip"
with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as package:
    for program in ("timetable-print.exe", "timetable-preview.exe"):
        package.write("build/windows/program/" + program, "timetable-print/" + program)
    package.write("/etc/ssl/certs/ca-certificates.crt", "timetable-print/cacert.pem")
    package.writestr("timetable-print/README.txt", crlf("packaging/windows/README.txt"))
    package.writestr("timetable-print/DejaVu-LICENSE.txt",
                     crlf("/usr/share/doc/fonts-dejavu-core/copyright"))
print("packed " + zip_path)
PY
