#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test four ways: an optimised build with
# warnings as errors, and the Debian package, built and checked; the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer; the libFuzzer targets for a bounded time each
# (FUZZ_SECONDS, default 30); and the Windows build, cross-compiled, packed and tested under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

# Everything every step installs, at once: the Windows libraries are built beside the Linux
# steps below, and two package installs at the same time would fail on dpkg's lock.
scripts/install-deps.sh --deb-src clang-14 libclang-rt-14-dev libbenchmark-dev curl clang-format \
  dpkg-dev fakeroot lintian g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev meson ninja-build \
  autoconf automake libtool wine wine64 libgnutls30 googletest fonts-dejavu-core wixl msitools \
  binutils-mingw-w64-x86-64 osslsigncode librsvg2-bin icoutils krb5-kdc krb5-admin-server \
  krb5-user squid
jobs=$(nproc)

# The Windows libraries take a while to build once, mostly in configure scripts that keep one
# core busy, so they are built beside the Linux steps; the Windows step waits for them. They run
# in a process group of their own, ended with this script.
mkdir -p build
setsid scripts/build-windows-libraries.sh >build/windows-libraries.log 2>&1 &
libraries=$!
trap 'kill -- -"$libraries" 2>/dev/null || true' EXIT

echo "== Formatting"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== Messages and their translations"
scripts/update-po.sh --check

echo "== Release build and tests"
scripts/configure-release.sh
cmake --build build/release -j "$jobs"

# The layer check reads each file with the flags of this configured build.
echo "== Layers"
python3 scripts/check-layers.py --build build/release

ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== Debian package"
scripts/package-debian.sh
python3 packaging/debian/package_test.py build/debian/timetable-print_*_amd64.deb
python3 packaging/debian/upgrade_test.py build/debian/timetable-print_*_amd64.deb

echo "== Sanitizer build and tests"
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DTIMETABLE_WERROR=ON -DTIMETABLE_SANITIZE=ON
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== Fuzzing"
CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTIMETABLE_WERROR=ON -DTIMETABLE_TESTS=OFF -DTIMETABLE_FUZZ=ON \
  -DTIMETABLE_FUZZ_SECONDS="${FUZZ_SECONDS:-30}"
cmake --build build/fuzz -j "$jobs"
ctest --test-dir build/fuzz --output-on-failure -j "$jobs"

echo "== Windows build, package and tests under wine"
if ! wait "$libraries"; then
  cat build/windows-libraries.log
  echo "the Windows libraries could not be built (above)" >&2
  exit 1
fi
scripts/test-windows.sh
