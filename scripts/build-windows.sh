#!/usr/bin/env bash
# Cross-builds timetable-print.exe, timetable-preview.exe and the unit tests for 64-bit Windows
# into build/windows: mingw-w64 from Debian, a static libcurl with Schannel, static cairo,
# FreeType, pixman, libpng and zlib, and a static libintl, all built from Debian's source
# packages.
# TIMETABLE_SERVICE_HOST names the service host to build in (default localhost). Wine runs the
# tests; its Schannel needs GnuTLS, which it only recommends.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out="$root/build/windows"

scripts/install-deps.sh g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64 libgnutls30 dpkg-dev \
  googletest librsvg2-bin icoutils
scripts/build-windows-libraries.sh "$out"

# nlohmann json is header-only; the cross compiler sees its headers without the rest of the
# host's include folder.
mkdir -p "$out/json"
ln -sfn /usr/include/nlohmann "$out/json/nlohmann"

# The forms the Windows program renders are compared with the Linux build's, where there is one.
reference=()
[[ -x "$root/build/release/timetable-preview" ]] &&
  reference=(-DTIMETABLE_REFERENCE_PREVIEW="$root/build/release/timetable-preview")

PKG_CONFIG_LIBDIR="$out/cairo/lib/pkgconfig" PKG_CONFIG_PATH= \
cmake -S . -B "$out/program" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTIMETABLE_WERROR=ON "${reference[@]}" \
  -DTIMETABLE_SERVICE_HOST="${TIMETABLE_SERVICE_HOST:-localhost}" \
  -DCURL_DIR="$out/curl/lib/cmake/CURL" -DTIMETABLE_JSON_INCLUDE_DIR="$out/json" \
  -DIntl_INCLUDE_DIR="$out/gettext/include" -DIntl_LIBRARY="$out/gettext/lib/libintl.a" \
  -DTIMETABLE_GTEST_SOURCE_DIR=/usr/src/googletest -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
  -DTIMETABLE_PACKAGE_ZIP="$out/timetable-print-win64.zip"
cmake --build "$out/program" -j "$(nproc)"
