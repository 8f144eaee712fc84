#!/usr/bin/env bash
# Installs what is missing, builds, starts the local sample timetable service and runs
# timetable-print against it; afterwards shows the printed form. Everything happens in ./demo,
# where the printer is the file LPT1. Arguments go to timetable-print: scripts/demo.sh -o form.pdf
# writes the form as a PDF instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh
scripts/configure-release.sh >/dev/null
cmake --build build/release -j "$(nproc)" --target timetable-print timetable-preview

mkdir -p demo
cd demo
rm -f LPT1
python3 "$root/service/test_service/timetable_service.py" --dir "$root/demo/service" \
  >service.log 2>&1 &
service=$!
trap 'kill $service 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [[ -f service/cacert.pem ]] && grep -q listening service.log && break
  kill -0 $service 2>/dev/null || { cat service.log; exit 1; }
  sleep 0.1
done
cp service/cacert.pem .

echo "Sample trains: 5410 (Kraków - Gdynia), 38170 (night train Przemyśl - Kraków),"
echo "91341 (Łódź - Zduńska Wola), 64102 (not in the list of trains online)."
echo "Locomotives are words of up to six characters, such as EP09 or EU07; type x for none."
echo
# The local service, whatever service the machine's or the user's settings name.
"$root/build/release/timetable-print" --service localhost:9640 "$@" || exit $?

if [[ $# -gt 0 ]]; then
  echo
  echo "The form went where the options said, in demo/ for a file name."
elif [[ -f LPT1 ]]; then
  echo
  echo "The printer received $(wc -c <LPT1) bytes in demo/LPT1. As the printer prints them:"
  echo
  "$root/build/release/timetable-preview" LPT1
  "$root/build/release/timetable-preview" LPT1 -o form.pdf
  echo
  echo "The same form as a PDF: demo/form.pdf. Print it on any printer with: lp demo/form.pdf"
fi
