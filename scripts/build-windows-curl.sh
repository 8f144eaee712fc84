#!/usr/bin/env bash
# Builds a static libcurl for 64-bit Windows from Debian's own curl source package, with
# Schannel (Windows' own TLS) and nothing else to ship. Installs it under the folder given
# (default build/windows/curl); a finished build there is kept.
# Usage: scripts/build-windows-curl.sh [PREFIX]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
prefix=$(realpath -m "${1:-build/windows/curl}")
work=$(dirname "$prefix")/curl-build
toolchain="$root/cmake/mingw-w64-x86_64.cmake"

if [[ -f "$prefix/lib/libcurl.a" ]]; then
  echo "libcurl for Windows is already built in $prefix"
  exit 0
fi

scripts/install-deps.sh --deb-src

rm -rf "$work"
mkdir -p "$work"
(cd "$work" && apt-get source -q --download-only curl && dpkg-source -x curl_*.dsc source >/dev/null)

cmake -S "$work/source" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
  -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF \
  -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF \
  -DCURL_DISABLE_LDAP=ON -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none
cmake --build "$work/build" -j "$(nproc)"
cmake --install "$work/build"
rm -rf "$work"
