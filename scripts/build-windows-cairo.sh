#!/usr/bin/env bash
# Builds static libraries of cairo and what it needs (zlib, libpng, FreeType, pixman) for 64-bit
# Windows from Debian's own source packages: cairo with FreeType fonts, PNG, PDF, SVG and Win32
# surfaces, and nothing else to ship. Installs them under the folder given (default
# build/windows/cairo); a finished build there is kept.
# Usage: scripts/build-windows-cairo.sh [PREFIX]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
prefix=$(realpath -m "${1:-build/windows/cairo}")
work=$(dirname "$prefix")/cairo-build
host=x86_64-w64-mingw32
jobs=$(nproc)

# VERSIONS is written last, so it marks a finished build.
if [[ -f "$prefix/VERSIONS" ]]; then
  echo "cairo for Windows is already built in $prefix"
  exit 0
fi

scripts/install-deps.sh --deb-src g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev dpkg-dev meson \
  ninja-build autoconf automake libtool

rm -rf "$work"
mkdir -p "$work" "$prefix"

# Every build finds the libraries built before it, and none of the host's.
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH=
cc=$host-gcc-posix
autotools_env=(CC="$cc" CFLAGS=-O2 CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib")
printf "[properties]\npkg_config_libdir = '%s'\n" "$PKG_CONFIG_LIBDIR" >"$work/prefix.meson"
meson_setup=(meson setup --cross-file "$root/cmake/mingw-w64-x86_64.meson"
  --cross-file "$work/prefix.meson" --prefix "$prefix" --libdir lib --buildtype release
  -Ddefault_library=static)

# Unpacks Debian's source package $1 into $work/$1 and records its version. Where the Debian
# diff cannot be fetched (the archive lacks pixman's), the upstream tarball alone is built, and
# VERSIONS says so.
unpack() {
  local package=$1 download="$work/download/$1"
  mkdir -p "$download"
  (cd "$download" && apt-get source -q --download-only "$package") || true
  local dsc=("$download"/*.dsc) orig=("$download"/*.orig.tar.*)
  local version
  version=$(grep -m1 '^Version:' "${dsc[0]}" | cut -d' ' -f2)
  if ! dpkg-source -x "${dsc[0]}" "$work/$package" >/dev/null; then
    [[ -f "${orig[0]}" ]] || { echo "No source for $package" >&2; exit 1; }
    echo "Using the upstream tarball of $package alone" >&2
    rm -rf "${work:?}/$package"
    mkdir -p "$work/$package"
    tar -xf "${orig[0]}" -C "$work/$package" --strip-components=1
    version+=" (upstream tarball only)"
  fi
  echo "$package $version" >>"$work/VERSIONS"
}

unpack zlib
(cd "$work/zlib" &&
  CHOST=$host CC="$cc" AR=$host-ar RANLIB=$host-ranlib CFLAGS=-O2 ./configure --static --prefix="$prefix" &&
  make -j "$jobs" install)

unpack libpng1.6
# The library alone: its Makefile builds the tests with everything else.
(cd "$work/libpng1.6" &&
  ./configure --host=$host --prefix="$prefix" --enable-static --disable-shared "${autotools_env[@]}" &&
  make -j "$jobs" install check_PROGRAMS= bin_PROGRAMS=)

unpack freetype
"${meson_setup[@]}" "$work/freetype/build" "$work/freetype" -Dbrotli=disabled -Dbzip2=disabled \
  -Dharfbuzz=disabled -Dpng=enabled -Dzlib=system -Dtests=disabled
meson install -C "$work/freetype/build"

unpack pixman
"${meson_setup[@]}" "$work/pixman/build" "$work/pixman" -Dtests=disabled -Dgtk=disabled \
  -Dlibpng=disabled -Dopenmp=disabled
meson install -C "$work/pixman/build"

unpack cairo
# A cairo DLL initialises its static mutexes (critical sections) in DllMain; a static library
# has no such hook, and only some entry points, such as creating a surface, initialise them on
# the way. A lock taken before that, for example by creating a FreeType font face first, then
# waits forever. This constructor does DllMain's work when the program starts; it sits in
# cairo-mutex.c, which defines those mutexes, so every program that uses them links it.
cat >>"$work/cairo/src/cairo-mutex.c" <<'EOF'

#if CAIRO_MUTEX_IMPL_WIN32 && CAIRO_WIN32_STATIC_BUILD
static void __attribute__ ((constructor (101)))
_cairo_mutex_initialize_static_build (void)
{
    CAIRO_MUTEX_INITIALIZE ();
}
#endif
EOF
# Debian's patches change configure.ac and Makefile.am, so the build files are made anew;
# GTKDOCIZE=true leaves out gtk-doc, as the documentation is not built.
(cd "$work/cairo" && GTKDOCIZE=true autoreconf -fi)
(cd "$work/cairo" &&
  ./configure --host=$host --prefix="$prefix" --enable-static --disable-shared \
    "${autotools_env[@]}" CPPFLAGS="-I$prefix/include -DCAIRO_WIN32_STATIC_BUILD=1" \
    --enable-ft --enable-fc=no --enable-win32 --enable-pdf --enable-png --enable-svg \
    --disable-xlib --disable-xcb --disable-gobject --disable-script --disable-interpreter \
    --disable-trace --disable-gtk-doc)
# Only the library: Debian's list of exported symbols clashes with the Windows .def file.
make -C "$work/cairo/src" -j "$jobs" export_symbols= cairo_def_dependency= install
# A static link also needs what the library calls in Windows (GDI, AlphaBlend) and the
# fortified string functions' checks in libssp, which cairo.pc does not name.
sed -i 's/^Libs\.private:.*/& -lgdi32 -lmsimg32 -lssp/' "$prefix/lib/pkgconfig/cairo.pc"

mv "$work/VERSIONS" "$prefix/VERSIONS"
rm -rf "$work"
echo "cairo for Windows is built in $prefix"
