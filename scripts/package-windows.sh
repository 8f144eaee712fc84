#!/usr/bin/env bash
# Builds the Windows program and packs build/windows/timetable-print-win64.zip: the exe, a
# cacert.pem from Debian's CA bundle and a short README for Windows users.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh
scripts/install-deps.sh ca-certificates
python3 - <<'PY'
import zipfile

def crlf(path):
    with open(path, encoding="utf-8") as f:
        return f.read().replace("\n", "\r\n")

zip_path = "build/windows/timetable-print-win64.zip"
with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as package:
    package.write("build/windows/program/timetable-print.exe", "timetable-print/timetable-print.exe")
    package.write("/etc/ssl/certs/ca-certificates.crt", "timetable-print/cacert.pem")
    package.writestr("timetable-print/README.txt", crlf("packaging/windows/README.txt"))
print("packed " + zip_path)
PY
