#!/usr/bin/env bash
# Cross-builds the third-party libraries of the Windows build as static
# libraries for 64-bit Windows, with Debian's MinGW-w64, from Debian's own
# source packages (with Debian's patches applied), into build/windows/deps:
# include/, lib/, lib/pkgconfig/, lib/cmake/ and licences/<name>.txt.
#
# Run it to build what is missing and print that folder; source it for
# vemla_windows_deps, which does the same and sets VEMLA_WINDOWS_DEPS to it.
# Progress goes to stderr, one line per library; each library's full log is
# kept in build/windows/logs/<name>.log.
#
# A library is built again only when its stamp, deps/stamps/<name>, differs
# from what would be built now: the Debian version of its source (for
# GoogleTest, of the installed googletest package) and a digest of its
# recipe and of the toolchain file. The source packages come through a
# project-local apt configuration in build/windows/apt that knows only
# Debian's deb-src lines; the system's apt setup is left alone. Its lists are
# fetched when missing, when a download fails, or when
# VEMLA_WINDOWS_DEPS_UPDATE=1 asks for it, and used as they are otherwise.
set -euo pipefail

_VEMLA_WD_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=packages.sh
source "$_VEMLA_WD_SCRIPTS/packages.sh"

# What cross-building needs besides the native build's packages.
VEMLA_WINDOWS_PACKAGES=(
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  libz-mingw-w64-dev
  dpkg-dev xz-utils debian-archive-keyring
  nasm googletest
)

# The Debian release whose sources are built.
VEMLA_WINDOWS_SUITE=bookworm

# The MinGW-w64 root, where Debian's cross-built zlib lives.
_VEMLA_WD_MINGW=/usr/x86_64-w64-mingw32

_vemla_wd_say() { echo "$*" >&2; }

# Writes the project-local apt configuration: Debian's source lines only,
# its own lists and cache, no translations, and no other sources or pins.
_vemla_wd_apt_setup() {
  mkdir -p "$apt"/{lists/partial,cache/archives/partial,etc/none}
  local key=/usr/share/keyrings/debian-archive-keyring.gpg s=$VEMLA_WINDOWS_SUITE
  cat >"$apt/etc/sources.list" <<EOF
deb-src [signed-by=$key] http://deb.debian.org/debian $s main
deb-src [signed-by=$key] http://deb.debian.org/debian-security $s-security main
deb-src [signed-by=$key] http://deb.debian.org/debian $s-updates main
EOF
  cat >"$apt/apt.conf" <<EOF
Dir::Etc::sourcelist "$apt/etc/sources.list";
Dir::Etc::sourceparts "$apt/etc/none";
Dir::Etc::preferences "$apt/etc/none/preferences";
Dir::Etc::preferencesparts "$apt/etc/none";
Dir::State::lists "$apt/lists";
Dir::Cache "$apt/cache";
Acquire::Languages "none";
APT::Sandbox::User "root";
EOF
}

_vemla_wd_apt() { APT_CONFIG="$apt/apt.conf" "$@"; }

_vemla_wd_have_lists() { compgen -G "$apt/lists/*_Sources*" >/dev/null; }

_vemla_wd_update_lists() {
  _vemla_wd_say "Debian source lists: updating"
  if ! _vemla_wd_apt apt-get update >"$logs/apt-update.log" 2>&1; then
    _vemla_wd_say "apt-get update failed; last lines of $logs/apt-update.log:"
    tail -n 20 "$logs/apt-update.log" >&2
    return 1
  fi
  updated=1
}

# The full Debian version (epoch included) that `apt-get source WANTED` would
# fetch, where WANTED is a source package name, NAME=VERSION or NAME/SUITE.
_vemla_wd_version_of() {
  local wanted=$1 pkg=${1%%[/=]*} dsc ver v
  dsc=$(_vemla_wd_apt apt-get source --print-uris "$wanted" 2>/dev/null |
        awk '$2 ~ /\.dsc$/ { print $2; exit }') || true
  [ -n "$dsc" ] || return 1
  ver=${dsc#"${pkg}_"}
  ver=${ver%.dsc}
  # The file name leaves out the epoch; the source lists have it.
  for v in $(_vemla_wd_apt apt-cache showsrc --only-source "$pkg" 2>/dev/null |
             sed -n 's/^Version: //p'); do
    if [ "${v#*:}" = "$ver" ]; then echo "$v"; return 0; fi
  done
  echo "$ver"
}

# Downloads source package WANTED into src/NAME and unpacks it, Debian's
# patches applied, into src/NAME/tree.
_vemla_wd_fetch() {
  local name=$1 wanted=$2 dir=$src/$1 dsc
  rm -rf "$dir"
  mkdir -p "$dir"
  (cd "$dir" && _vemla_wd_apt apt-get source --download-only "$wanted") || return 1
  dsc=$(compgen -G "$dir/*.dsc" | head -n 1)
  dpkg-source -x "$dsc" "$dir/tree"
}

# A digest of how library NAME is built: its recipe, the shared CMake step
# and the toolchain file, so that changing any of them builds it again.
_vemla_wd_recipe() {
  { declare -f _vemla_wd_cmake "_vemla_wd_build_$1"; cat "$toolchain"; } |
    sha256sum | cut -c1-16
}

_vemla_wd_stamp_text() { printf '%s\nrecipe %s' "$1" "$2"; }

# Whether NAME is installed from VERSION with RECIPE, PRODUCT being one of
# the files it installs.
_vemla_wd_current() {
  local name=$1 version=$2 recipe=$3 product=$4
  [ -f "$stamps/$name" ] && [ -e "$prefix/$product" ] &&
    [ "$(cat "$stamps/$name")" = "$(_vemla_wd_stamp_text "$version" "$recipe")" ]
}

# Builds NAME from SOURCE with _vemla_wd_build_NAME, logging to its log, and
# stamps it with VERSION and RECIPE when that succeeds.
_vemla_wd_build() {
  local name=$1 version=$2 recipe=$3 source=$4 note=${5:-}
  local log=$logs/$name.log t0=$SECONDS
  printf '%s %s: building%s... ' "$name" "$version" "$note" >&2
  rm -rf "${bld:?}/$name" "${stamps:?}/$name"
  # Each step checks its own result, so that a failure stops the build
  # however this is called (errexit is off inside `if` and `||`).
  if ! "_vemla_wd_build_$name" "$source" "$bld/$name" >>"$log" 2>&1; then
    echo "failed" >&2
    _vemla_wd_say "--- last lines of $log:"
    tail -n 40 "$log" >&2
    return 1
  fi
  _vemla_wd_stamp_text "$version" "$recipe" >"$stamps/$name"
  echo >>"$stamps/$name"
  echo "done in $((SECONDS - t0)) s" >&2
}

# Brings library NAME, from Debian source package PKG, up to date; PRODUCT
# is one of the files it installs. The newest version in the lists is built,
# or, where that cannot be downloaded (the mirror may lack one of its files),
# the release's own one, PKG/SUITE; src/NAME.unfetchable remembers such a
# version so that later runs go straight to the release's one.
_vemla_wd_library() {
  local name=$1 pkg=$2 product=$3 again=${4:-}
  local log=$logs/$name.log skip=$src/$name.unfetchable
  local recipe candidate version wanted note=""
  recipe=$(_vemla_wd_recipe "$name")
  if ! candidate=$(_vemla_wd_version_of "$pkg"); then
    _vemla_wd_say "$name: no source package $pkg in the Debian source lists"
    return 1
  fi
  version=$candidate
  wanted="$pkg=$candidate"
  if [ -f "$skip" ] && [ "$(cat "$skip")" = "$candidate" ]; then
    wanted=$pkg/$VEMLA_WINDOWS_SUITE
    version=$(_vemla_wd_version_of "$wanted") || return 1
    note=" ($candidate cannot be fetched)"
  fi
  if _vemla_wd_current "$name" "$version" "$recipe" "$product"; then
    _vemla_wd_say "$name $version: up to date$note"
    return 0
  fi

  [ -n "$again" ] || : >"$log"
  if ! _vemla_wd_fetch "$name" "$wanted" >>"$log" 2>&1; then
    if [ "$updated" -eq 0 ]; then
      # The lists may be older than the mirror: fetch them and start over.
      echo "--- fetching $wanted failed; updating the lists and trying again" >>"$log"
      _vemla_wd_update_lists || return 1
      _vemla_wd_library "$name" "$pkg" "$product" again
      return
    fi
    if [ "$wanted" = "$pkg/$VEMLA_WINDOWS_SUITE" ]; then
      _vemla_wd_say "$name: could not fetch $wanted; last lines of $log:"
      tail -n 20 "$log" >&2
      return 1
    fi
    # The newest version cannot be had: remembered, and the release's one
    # taken, as later runs will.
    echo "$candidate" >"$skip"
    _vemla_wd_library "$name" "$pkg" "$product" again
    return
  fi
  _vemla_wd_build "$name" "$version" "$recipe" "$src/$name/tree" "$note"
}

# Copies the licence texts of NAME into licences/NAME.txt. Each argument
# is TITLE=FILE; with several, each text comes under a line with its title.
_vemla_wd_licence() {
  local name=$1 out=$prefix/licences/$1.txt arg
  shift
  mkdir -p "$prefix/licences" || return 1
  if [ $# -eq 1 ]; then
    cp "${1#*=}" "$out"
    return
  fi
  : >"$out"
  for arg in "$@"; do
    { printf '==== %s ====\n\n' "${arg%%=*}" && cat "${arg#*=}" && printf '\n'; } >>"$out" ||
      return 1
  done
}

# Configures, builds and installs one CMake project from SOURCE in BUILD:
# cross-compiled, static, Release, installed into the prefix, finding the
# libraries built before it there and in the MinGW root; pkg-config, where
# a project asks it, looks in those two places too, never at the build
# machine's own libraries.
_vemla_wd_cmake() {
  local source=$1 build=$2
  shift 2
  PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:$_VEMLA_WD_MINGW/lib/pkgconfig" PKG_CONFIG_PATH='' \
  cmake -S "$source" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DVEMLA_WINDOWS_DEPS="$prefix" \
    -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF \
    "$@" &&
  cmake --build "$build" -j "$jobs" &&
  cmake --install "$build"
}

# SDL2: window, WGL context, events, audio, timers, message boxes and
# shared-object loading are all there by default; the game-controller side
# (joystick, haptic, HIDAPI, sensors) is left out, as nothing uses it. So is
# the offscreen video driver: it makes GL contexts through EGL, which Windows
# lacks, and a program that picked it could open no window at all.
_vemla_wd_build_SDL2() {
  _vemla_wd_cmake "$1" "$2" \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF \
    -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF \
    -DSDL_OFFSCREEN=OFF \
    -DSDL_CCACHE=OFF || return 1
  _vemla_wd_licence SDL2 "LICENSE.txt=$1/LICENSE.txt"
}

# SDL2_mixer: WAV, and the decoders it carries inside itself (dr_mp3 for
# MP3, dr_flac for FLAC, stb_vorbis for Ogg Vorbis); everything that would
# need another library (Opus, libFLAC, mpg123, modplug, xmp, FluidSynth,
# libvorbis) and MIDI are left out.
_vemla_wd_build_SDL2_mixer() {
  _vemla_wd_cmake "$1" "$2" \
    -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
    -DSDL2MIXER_CMD=OFF -DSDL2MIXER_WAVE=ON \
    -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF \
    -DSDL2MIXER_FLAC=ON -DSDL2MIXER_FLAC_DRFLAC=ON -DSDL2MIXER_FLAC_LIBFLAC=OFF \
    -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_MOD=OFF \
    -DSDL2MIXER_MIDI=OFF || return 1
  local stb=$2/stb_vorbis-licence.txt
  sed -n '/^This software is available under 2 licenses/,/^\*\//p' \
    "$1/src/codecs/stb_vorbis/stb_vorbis.h" | sed '$d' >"$stb" &&
    [ -s "$stb" ] || return 1
  _vemla_wd_licence SDL2_mixer "SDL2_mixer: LICENSE.txt=$1/LICENSE.txt" \
    "dr_mp3 and dr_flac: src/codecs/dr_libs/LICENSE=$1/src/codecs/dr_libs/LICENSE" \
    "stb_vorbis: the end of src/codecs/stb_vorbis/stb_vorbis.h=$stb" || return 1
  _vemla_wd_mixer_pc "$1"
}

# SDL2_mixer's CMake build writes SDL2_mixer.pc only for a shared library;
# this fills in its template from SOURCE the same way for the static one,
# which needs nothing beyond SDL2 as every decoder in it is its own.
_vemla_wd_mixer_pc() {
  local source=$1 version sdl
  version=$(sed -n 's/^set(\(MAJOR\|MINOR\|MICRO\)_VERSION \([0-9]*\))$/\2/p' \
    "$source/CMakeLists.txt" | paste -sd .) || return 1
  sdl=$(sed -n 's/^set(SDL_REQUIRED_VERSION \(.*\))$/\1/p' "$source/CMakeLists.txt") || return 1
  [ -n "$version" ] && [ -n "$sdl" ] || return 1
  mkdir -p "$prefix/lib/pkgconfig" || return 1
  # The ${...} here are pkg-config's own variables, written as they are.
  # shellcheck disable=SC2016
  sed -e "s|@prefix@|$prefix|" -e 's|@exec_prefix@|${prefix}|' \
    -e 's|@libdir@|${exec_prefix}/lib|' -e 's|@includedir@|${prefix}/include|' \
    -e "s|@VERSION@|$version|" -e "s|@SDL_VERSION@|$sdl|" \
    -e 's|@PC_REQUIRES@||' -e 's|@PC_LIBS@||' \
    "$source/SDL2_mixer.pc.in" >"$prefix/lib/pkgconfig/SDL2_mixer.pc" || return 1
  ! grep -q @ "$prefix/lib/pkgconfig/SDL2_mixer.pc"
}

# libjpeg-turbo with its SIMD code, as Debian's libjpeg62-turbo has it, so
# that both builds decode through the same routines; the jpeg62 interface.
_vemla_wd_build_libjpeg-turbo() {
  _vemla_wd_cmake "$1" "$2" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON || return 1
  _vemla_wd_licence libjpeg-turbo "LICENSE.md=$1/LICENSE.md" "README.ijg=$1/README.ijg"
}

# libpng over Debian's MinGW zlib, linked from its static archive.
_vemla_wd_build_libpng() {
  _vemla_wd_cmake "$1" "$2" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY="$_VEMLA_WD_MINGW/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="$_VEMLA_WD_MINGW/include" || return 1
  _vemla_wd_licence libpng "LICENSE=$1/LICENSE"
}

# FreeType for TrueType and OpenType outlines only: no bzip2, Brotli, PNG
# bitmaps or HarfBuzz. Its gzip support uses Debian's MinGW zlib, as its own
# copy of zlib's inflate code would clash with that one in a static link.
_vemla_wd_build_freetype() {
  _vemla_wd_cmake "$1" "$2" \
    -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
    -DZLIB_LIBRARY="$_VEMLA_WD_MINGW/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="$_VEMLA_WD_MINGW/include" || return 1
  _vemla_wd_licence freetype "FTL.TXT=$1/docs/FTL.TXT"
}

# GoogleTest and GoogleMock from Debian's googletest package, with their
# CMake package files, so that find_package(GTest) works in a cross build.
_vemla_wd_build_googletest() {
  _vemla_wd_cmake "$1" "$2" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON || return 1
  # The package ships its licence as its copyright file; where a system
  # leaves documentation out, the notice at the top of gtest.h is the same.
  local licence=/usr/share/doc/googletest/copyright
  if [ ! -f "$licence" ]; then
    licence=$2/gtest-licence.txt
    sed -n '1,/^$/p' "$1/googletest/include/gtest/gtest.h" |
      sed 's|^// \{0,1\}||' >"$licence" || return 1
  fi
  _vemla_wd_licence googletest "copyright=$licence"
}

# GoogleTest is built from the installed package's source, not fetched.
_vemla_wd_googletest() {
  local source=/usr/src/googletest version recipe
  version=$(dpkg-query -W -f='${Version}' googletest)
  recipe=$(_vemla_wd_recipe googletest)
  if _vemla_wd_current googletest "$version" "$recipe" lib/libgtest.a; then
    _vemla_wd_say "googletest $version: up to date"
    return 0
  fi
  : >"$logs/googletest.log"
  _vemla_wd_build googletest "$version" "$recipe" "$source"
}

# zlib is Debian's own MinGW build; only its licence is copied.
_vemla_wd_zlib_licence() {
  local copyright=/usr/share/doc/libz-mingw-w64-dev/copyright out=$prefix/licences/zlib.txt
  mkdir -p "$prefix/licences"
  if [ -f "$copyright" ]; then
    cp "$copyright" "$out"
  else
    sed -n '/^  Copyright (C)/,/^\*\//p' "$_VEMLA_WD_MINGW/include/zlib.h" | sed '$d' >"$out"
  fi
}

vemla_windows_deps() {
  local root win prefix src bld logs apt stamps toolchain jobs updated=0
  root=$(cd "$_VEMLA_WD_SCRIPTS/.." && pwd)
  win=$root/build/windows
  prefix=$win/deps
  src=$win/src
  bld=$win/depbuild
  logs=$win/logs
  apt=$win/apt
  stamps=$prefix/stamps
  toolchain=$root/cmake/mingw-w64-x86_64.cmake
  jobs=$(nproc)

  vemla_install_packages "${VEMLA_WINDOWS_PACKAGES[@]}" >&2 || return 1
  mkdir -p "$prefix" "$src" "$bld" "$logs" "$stamps" || return 1
  _vemla_wd_apt_setup || return 1
  if ! _vemla_wd_have_lists || [ "${VEMLA_WINDOWS_DEPS_UPDATE:-0}" = 1 ]; then
    _vemla_wd_update_lists || return 1
  fi

  # In this order, so that each finds those it builds on.
  _vemla_wd_library SDL2 libsdl2 lib/libSDL2.a || return 1
  _vemla_wd_library SDL2_mixer libsdl2-mixer lib/libSDL2_mixer.a || return 1
  _vemla_wd_library libjpeg-turbo libjpeg-turbo lib/libjpeg.a || return 1
  _vemla_wd_library libpng libpng1.6 lib/libpng16.a || return 1
  _vemla_wd_library freetype freetype lib/libfreetype.a || return 1
  _vemla_wd_googletest || return 1
  _vemla_wd_zlib_licence || return 1

  VEMLA_WINDOWS_DEPS=$prefix
  export VEMLA_WINDOWS_DEPS
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  vemla_windows_deps
  echo "$VEMLA_WINDOWS_DEPS"
fi
