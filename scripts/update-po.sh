#!/usr/bin/env bash
# Extracts the programs' messages into po/timetable-print.pot and merges them into each
# translation, po/LANGUAGE.po. With --check it changes nothing and fails when the committed
# template is not what the sources give now, or when a translation lacks a message or holds a
# fuzzy one: a new or changed message needs its translation before it is committed.
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
[[ ${1:-} == --check ]] && check=true

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every C++ source, new files too; the tests and fuzz targets mark nothing.
git ls-files --cached --others --exclude-standard '*.cpp' '*.h' | sort >"$work/sources"
xgettext --language=C++ --from-code=UTF-8 --no-wrap --keyword=translate --keyword=translatePlural:1,2 \
  --keyword=translateInContext:1c,2 \
  --add-comments=TRANSLATORS: --add-location=file --sort-by-file \
  --package-name=timetable-print --msgid-bugs-address=" " \
  --files-from="$work/sources" -o "$work/timetable-print.pot"

# The template's creation date changes at each run; the rest must match.
without_date() { grep -v '^"POT-Creation-Date:' "$1"; }

status=0
shopt -s nullglob
if $check; then
  if ! diff -u <(without_date po/timetable-print.pot) <(without_date "$work/timetable-print.pot"); then
    echo "po/timetable-print.pot is not what the sources give: run scripts/update-po.sh" >&2
    status=1
  fi
else
  if [[ ! -f po/timetable-print.pot ]] ||
     ! diff -q <(without_date po/timetable-print.pot) <(without_date "$work/timetable-print.pot") >/dev/null; then
    cp "$work/timetable-print.pot" po/timetable-print.pot
  fi
fi

for po in po/*.po; do
  merged="$work/$(basename "$po")"
  msgmerge --quiet --no-wrap --add-location=file --sort-by-file --previous \
    "$po" "$work/timetable-print.pot" -o "$merged"
  statistics=$(msgfmt --check --statistics -o /dev/null "$merged" 2>&1)
  echo "$po: $statistics"
  if [[ $statistics == *untranslated* || $statistics == *fuzzy* ]]; then
    echo "$po lacks translations: translate its empty and fuzzy entries" >&2
    status=1
  fi
  if ! $check && ! diff -q <(without_date "$po") <(without_date "$merged") >/dev/null; then
    cp "$merged" "$po"
  fi
done
exit $status
