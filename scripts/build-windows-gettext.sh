#!/usr/bin/env bash
# Builds a static libintl (gettext's runtime library, which reads the programs' message
# catalogues) for 64-bit Windows from Debian's gettext source package, and installs its header
# and library under the folder given (default build/windows/gettext); a finished build there is
# kept.
#
# Only the library is built: no shared library, no programs, no libiconv. The catalogue holds
# UTF-8 and the programs write UTF-8, so libintl returns a translation's bytes as they are and has
# nothing to convert. Its threads are Windows' own, so the programs still need no DLL but the
# system's.
# Usage: scripts/build-windows-gettext.sh [PREFIX]
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$(realpath -m "${1:-build/windows/gettext}")
work=$(dirname "$prefix")/gettext-build
host=x86_64-w64-mingw32

# VERSIONS is written last, so it marks a finished build.
if [[ -f "$prefix/VERSIONS" ]]; then
  echo "libintl for Windows is already built in $prefix"
  exit 0
fi

scripts/install-deps.sh --deb-src g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev dpkg-dev

rm -rf "$work"
mkdir -p "$work/download" "$prefix"
(cd "$work/download" && apt-get source -q --download-only gettext)
dsc=("$work"/download/gettext_*.dsc)
version=$(grep -m1 '^Version:' "${dsc[0]}" | cut -d' ' -f2)
# Debian's patches change only the shared library's link line, Java support and the tools, none
# of which is built here, and applying them would mean generating the build files anew.
dpkg-source --skip-patches -x "${dsc[0]}" "$work/gettext" >/dev/null

# am_cv_func_iconv=no: no iconv is looked for, so none of the host's is picked up.
(cd "$work/gettext/gettext-runtime" &&
  ./configure -q --host=$host --prefix="$prefix" --enable-static --disable-shared \
    --disable-java --disable-csharp --disable-c++ --disable-libasprintf --enable-threads=windows \
    --without-libiconv-prefix --without-libintl-prefix --with-included-gettext --disable-rpath \
    --disable-dependency-tracking CC=$host-gcc-posix CFLAGS=-O2 am_cv_func_iconv=no)
make -C "$work/gettext/gettext-runtime/intl" -j "$(nproc)" install

echo "gettext $version (libintl only, without Debian's patches)" >"$prefix/VERSIONS"
rm -rf "$work"
echo "libintl for Windows is built in $prefix"
