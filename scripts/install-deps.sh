#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, where any is missing.
# Usage: scripts/install-deps.sh [extra package ...]
set -euo pipefail

packages=(cmake g++ make pkg-config libcurl4-openssl-dev nlohmann-json3-dev libcairo2-dev
          libfreetype-dev fonts-dejavu-core libgtest-dev python3 openssl ca-certificates
          poppler-utils libcups2-dev cups-daemon cups-client time "$@")
missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
