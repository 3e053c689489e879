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
#
# That machinery, shared with the web build, is scripts/debian-sources.sh;
# what is here is how each library is built for Windows.
set -euo pipefail

_VEMLA_WD_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=packages.sh
source "$_VEMLA_WD_SCRIPTS/packages.sh"
# shellcheck source-path=SCRIPTDIR source=debian-sources.sh
source "$_VEMLA_WD_SCRIPTS/debian-sources.sh"

# What cross-building needs besides the native build's packages.
VEMLA_WINDOWS_PACKAGES=(
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  libz-mingw-w64-dev
  "${VEMLA_DEBIAN_SOURCES_PACKAGES[@]}"
  nasm googletest
)

# The MinGW-w64 root, where Debian's cross-built zlib lives.
_VEMLA_WD_MINGW=/usr/x86_64-w64-mingw32

# The recipes' own names for two shared steps, kept so that the recipes'
# text, and with it the stamps of libraries already built, stays the same.
_vemla_wd_licence() { _vemla_ds_licence "$@"; }
_vemla_wd_mixer_pc() { _vemla_ds_mixer_pc "$@"; }

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

# Dear ImGui for the editor, by our own small project in cmake/imgui/: the
# library with its SDL2 and OpenGL 2 backends, over the SDL2 built above.
_vemla_wd_build_imgui() {
  _vemla_wd_cmake "$_VEMLA_WD_SCRIPTS/../cmake/imgui" "$2" -DIMGUI_SOURCE="$1" || return 1
  _vemla_wd_licence imgui "LICENSE.txt=$1/LICENSE.txt"
}

# tinyxml2 for GNU Rocket's editor files, by its own CMake project, which
# writes tinyxml2.pc; the static library needs no definitions.
_vemla_wd_build_tinyxml2() {
  _vemla_wd_cmake "$1" "$2" -Dtinyxml2_BUILD_TESTING=OFF -DBUILD_TESTING=OFF || return 1
  _vemla_wd_licence tinyxml2 "LICENSE.txt=$1/LICENSE.txt"
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
  recipe=$(_vemla_ds_recipe googletest)
  if _vemla_ds_current googletest "$version" "$recipe" lib/libgtest.a; then
    _vemla_ds_say "googletest $version: up to date"
    return 0
  fi
  : >"$logs/googletest.log"
  _vemla_ds_build googletest "$version" "$recipe" "$source"
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
  local recipes=_vemla_wd toolchain_files
  root=$(cd "$_VEMLA_WD_SCRIPTS/.." && pwd)
  win=$root/build/windows
  prefix=$win/deps
  src=$win/src
  bld=$win/depbuild
  logs=$win/logs
  apt=$win/apt
  stamps=$prefix/stamps
  toolchain=$root/cmake/mingw-w64-x86_64.cmake
  toolchain_files=("$toolchain")
  jobs=$(nproc)

  vemla_install_packages "${VEMLA_WINDOWS_PACKAGES[@]}" >&2 || return 1
  _vemla_ds_begin "${VEMLA_WINDOWS_DEPS_UPDATE:-0}" || return 1

  # In this order, so that each finds those it builds on.
  _vemla_ds_library SDL2 libsdl2 lib/libSDL2.a || return 1
  _vemla_ds_library SDL2_mixer libsdl2-mixer lib/libSDL2_mixer.a || return 1
  _vemla_ds_library libjpeg-turbo libjpeg-turbo lib/libjpeg.a || return 1
  _vemla_ds_library libpng libpng1.6 lib/libpng16.a || return 1
  _vemla_ds_library freetype freetype lib/libfreetype.a || return 1
  _vemla_ds_library imgui imgui lib/libimgui.a || return 1
  _vemla_ds_library tinyxml2 tinyxml2 lib/libtinyxml2.a || return 1
  _vemla_wd_googletest || return 1
  _vemla_wd_zlib_licence || return 1

  VEMLA_WINDOWS_DEPS=$prefix
  export VEMLA_WINDOWS_DEPS
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  vemla_windows_deps
  echo "$VEMLA_WINDOWS_DEPS"
fi
