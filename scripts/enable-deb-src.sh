#!/usr/bin/env bash
# apt-get source needs a deb-src entry for the machine's suite: adds one where there is none.
set -euo pipefail
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$suite" "$suite" | "${sudo[@]}" tee /etc/apt/sources.list.d/timetable-print-src.sources >/dev/null
  "${sudo[@]}" apt-get update -q
fi
