#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, where any is missing; the one place
# that runs apt-get as root (through sudo when you are not root). With --deb-src it first adds a
# deb-src entry for the machine's suite where there is none, for apt-get source.
# Usage: scripts/install-deps.sh [--deb-src] [extra package ...]
set -euo pipefail

add_deb_src=false
if [[ ${1:-} == --deb-src ]]; then
  shift
  grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ ||
    add_deb_src=true
fi

packages=(cmake g++ make pkg-config libcurl4-openssl-dev nlohmann-json3-dev libcairo2-dev
          libfreetype-dev fonts-dejavu-core libgtest-dev python3 openssl ca-certificates
          poppler-utils ghostscript libcups2-dev cups-daemon cups-client time gettext "$@")
missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 && $add_deb_src == false ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
if [[ $add_deb_src == true ]]; then
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$suite" "$suite" | "${sudo[@]}" tee /etc/apt/sources.list.d/timetable-print-src.sources >/dev/null
fi
"${sudo[@]}" apt-get update -q
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
