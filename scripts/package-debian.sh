#!/usr/bin/env bash
# Builds the Debian package from an optimised build of the programs alone, for the default
# service host (a site names its own in /etc/timetable-print.conf), with Debian's hardening
# flags, and checks it with lintian:
#   build/debian/timetable-print_VERSION_amd64.deb
# Its dependencies are the packages that hold the shared libraries the programs link
# (dpkg-shlibdeps).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh dpkg-dev fakeroot lintian

out=build/debian
# Debian's own flags, every hardening included: stack protector, fortified functions, read-only
# relocations bound at start, position-independent code.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DTIMETABLE_WERROR=ON -DTIMETABLE_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_SYSCONFDIR=/etc
cmake --build "$out" -j "$(nproc)"
rm -f "$out"/*.deb
# The package's files belong to root, as dpkg installs them.
(cd "$out" && fakeroot cpack -G DEB)

deb=$(ls "$out"/timetable-print_*.deb)
# lintian: no error and no warning, so that a new one fails here (info tags are not shown).
lintian --fail-on error,warning "$deb"
echo "packaged $deb"
