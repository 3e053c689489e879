#!/usr/bin/env bash
# Builds the third-party libraries of the web build as static WebAssembly
# libraries, with Debian's emscripten, from Debian's own source packages
# (with Debian's patches applied), into build/web/deps: include/, lib/,
# lib/pkgconfig/, lib/cmake/ and licences/<name>.txt.
#
# Run it to build what is missing and print that folder; source it for
# vemla_web_deps, which does the same and sets VEMLA_WEB_DEPS to it, and for
# vemla_web_env, which sets up the environment emscripten needs. Progress
# goes to stderr, one line per library; each library's full log is kept in
# build/web/logs/<name>.log.
#
# Emscripten's own ports (-sUSE_SDL=2 and the like) download their sources
# when first used, which this machine cannot, and Debian's emscripten keeps
# its cache frozen; so SDL2 and the rest are built here instead. Its system
# libraries (libc, libc++, the GL and EGL layers, in every variant) come
# prebuilt in that cache, /usr/share/emscripten/cache, so nothing there is
# ever built or written. EM_CACHE must stay unset: a cache anywhere else is
# just as frozen, but empty, and every link then fails.
#
# A library is built again when its stamp, deps/stamps/<name>, differs from
# what would be built now: the Debian version of its source and a digest of
# its recipe, of the toolchain files and of the compilers' Debian versions.
# The source packages come through a project-local apt configuration in
# build/web/apt (scripts/debian-sources.sh); VEMLA_WEB_DEPS_UPDATE=1 fetches
# its lists again.
set -euo pipefail

_VEMLA_WB_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=packages.sh
source "$_VEMLA_WB_SCRIPTS/packages.sh"
# shellcheck source-path=SCRIPTDIR source=debian-sources.sh
source "$_VEMLA_WB_SCRIPTS/debian-sources.sh"

# What building for the web needs besides the native build's packages.
# Debian's emscripten brings its clang, lld and binaryen, and the node
# modules its JavaScript optimiser loads (node-acorn).
VEMLA_WEB_PACKAGES=(
  emscripten nodejs
  "${VEMLA_DEBIAN_SOURCES_PACKAGES[@]}"
)

# Where Debian installs emscripten.
VEMLA_EMSCRIPTEN_ROOT=/usr/share/emscripten

# What emscripten needs to run: its JavaScript optimiser (every link at -O1
# and above) requires acorn, which Debian installs as a node module in
# /usr/share/nodejs, a folder node itself does not search; and its commands
# (emcc and the rest start "python3" from PATH) run under Debian's own
# python3, the one the package is made for, rather than another one that
# comes first in PATH.
vemla_web_env() {
  case ":${NODE_PATH:-}:" in
    *:/usr/share/nodejs:*) ;;
    *) NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH} ;;
  esac
  export NODE_PATH
  export EMSDK_PYTHON=${EMSDK_PYTHON:-/usr/bin/python3}
}

# The Debian versions of the compilers, which decide what every library
# is compiled to, written into FILE for the recipes' digest.
_vemla_wb_compilers() {
  dpkg-query -W -f='${Package} ${Version}\n' emscripten clang-14 lld-14 llvm-14 binaryen >"$1"
}

# Configures, builds and installs one CMake project from SOURCE in BUILD:
# for the web, static, Release, installed into the prefix and finding the
# libraries built before it there; pkg-config, where a project asks it,
# looks there only, never at the build machine's own libraries nor at the
# SDL 1 emulation's sdl.pc in emscripten's system root.
_vemla_wb_cmake() {
  local source=$1 build=$2
  shift 2
  PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH='' \
  emcmake cmake -S "$source" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DVEMLA_EMSCRIPTEN_ROOT="$VEMLA_EMSCRIPTEN_ROOT" \
    -DVEMLA_WEB_DEPS="$prefix" \
    -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF \
    "$@" &&
  nice -n 10 cmake --build "$build" -j "$jobs" &&
  cmake --install "$build"
}

# SDL2 with its emscripten drivers: video through a canvas and a WebGL
# context (made through emscripten's EGL; a context asked for as OpenGL ES 3
# is WebGL 2 when the program links with -sMAX_WEBGL_VERSION=2), audio
# through Web Audio, timers, filesystem and locale. No threads: SDL's thread
# functions are then its generic stubs, and a program needs neither
# -pthread nor the cross-origin isolation that SharedArrayBuffer asks of a
# page. Joystick, haptic, HIDAPI and sensors are left out, as nothing uses
# them; so is the offscreen driver.
#
# SDL2's JavaScript (its audio, and its calls back into the program) uses
# two of emscripten's library functions, autoResumeAudioContext and
# dynCall, which a link leaves out unless asked for them. Emscripten's own
# SDL2 port asks for them in every link; here sdl2.pc does, through a list
# file, as a "$" in a flag passed through CMake and the shell arrives
# mangled.
_vemla_wb_build_SDL2() {
  _vemla_wb_cmake "$1" "$2" \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF \
    -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF \
    -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF \
    -DSDL_OFFSCREEN=OFF -DSDL_DISKAUDIO=OFF \
    -DSDL_CCACHE=OFF || return 1
  local functions=$prefix/lib/SDL2-library-functions.txt pc=$prefix/lib/pkgconfig/sdl2.pc
  # These are emscripten's names, and ${libdir} is pkg-config's variable.
  # shellcheck disable=SC2016
  printf '%s\n' '$autoResumeAudioContext' '$dynCall' >"$functions" &&
    sed -i 's|^Libs: .*|& -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${libdir}/SDL2-library-functions.txt|' "$pc" &&
    grep -q '^Libs: .*DEFAULT_LIBRARY_FUNCS_TO_INCLUDE' "$pc" || return 1
  _vemla_ds_licence SDL2 "LICENSE.txt=$1/LICENSE.txt"
}

# SDL2_mixer: WAV, and MP3 through the dr_mp3 decoder it carries inside
# itself; the other formats are left out, as the demo's music is MP3 and
# every decoder built in is linked into the program.
_vemla_wb_build_SDL2_mixer() {
  _vemla_wb_cmake "$1" "$2" \
    -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
    -DSDL2MIXER_CMD=OFF -DSDL2MIXER_WAVE=ON \
    -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF \
    -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_OPUS=OFF \
    -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF || return 1
  _vemla_ds_licence SDL2_mixer "SDL2_mixer: LICENSE.txt=$1/LICENSE.txt" \
    "dr_mp3: src/codecs/dr_libs/LICENSE=$1/src/codecs/dr_libs/LICENSE" || return 1
  _vemla_ds_mixer_pc "$1"
}

# libjpeg-turbo's plain C code (its SIMD code is x86 and Arm assembly); the
# jpeg62 interface, as on the other systems. Its command-line tools are
# built with it (as .js programs) but not used.
_vemla_wb_build_libjpeg-turbo() {
  _vemla_wb_cmake "$1" "$2" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=OFF || return 1
  _vemla_ds_licence libjpeg-turbo "LICENSE.md=$1/LICENSE.md" "README.ijg=$1/README.ijg"
}

# FreeType for TrueType and OpenType outlines only: no gzip, bzip2, Brotli,
# PNG bitmaps or HarfBuzz, none of which a TrueType font file needs.
_vemla_wb_build_freetype() {
  _vemla_wb_cmake "$1" "$2" \
    -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON || return 1
  _vemla_ds_licence freetype "FTL.TXT=$1/docs/FTL.TXT"
}

# Dear ImGui for the editor's page, by our own small project in
# cmake/imgui/ (as for Windows): the library with its SDL2 and OpenGL 2
# backends, over the SDL2 built above; the OpenGL 2 backend draws through
# the program's fixed-function layer over WebGL 2.
_vemla_wb_build_imgui() {
  _vemla_wb_cmake "$_VEMLA_WB_SCRIPTS/../cmake/imgui" "$2" -DIMGUI_SOURCE="$1" || return 1
  _vemla_ds_licence imgui "LICENSE.txt=$1/LICENSE.txt"
}

# tinyxml2 for GNU Rocket's editor files, by its own CMake project, which
# writes tinyxml2.pc.
_vemla_wb_build_tinyxml2() {
  _vemla_wb_cmake "$1" "$2" -Dtinyxml2_BUILD_TESTING=OFF -DBUILD_TESTING=OFF || return 1
  _vemla_ds_licence tinyxml2 "LICENSE.txt=$1/LICENSE.txt"
}

vemla_web_deps() {
  local root web prefix src bld logs apt stamps toolchain jobs updated=0
  local recipes=_vemla_wb toolchain_files
  root=$(cd "$_VEMLA_WB_SCRIPTS/.." && pwd)
  web=$root/build/web
  prefix=$web/deps
  src=$web/src
  bld=$web/depbuild
  logs=$web/logs
  apt=$web/apt
  stamps=$prefix/stamps
  toolchain=$root/cmake/emscripten.cmake
  toolchain_files=("$toolchain" "$VEMLA_EMSCRIPTEN_ROOT/cmake/Modules/Platform/Emscripten.cmake"
                   "$web/compilers.txt")
  jobs=$(nproc)

  vemla_install_packages "${VEMLA_WEB_PACKAGES[@]}" >&2 || return 1
  vemla_web_env
  _vemla_ds_begin "${VEMLA_WEB_DEPS_UPDATE:-0}" || return 1
  _vemla_wb_compilers "$web/compilers.txt" || return 1

  # In this order, so that each finds those it builds on.
  _vemla_ds_library SDL2 libsdl2 lib/libSDL2.a || return 1
  _vemla_ds_library SDL2_mixer libsdl2-mixer lib/libSDL2_mixer.a || return 1
  _vemla_ds_library libjpeg-turbo libjpeg-turbo lib/libjpeg.a || return 1
  _vemla_ds_library freetype freetype lib/libfreetype.a || return 1
  _vemla_ds_library imgui imgui lib/libimgui.a || return 1
  _vemla_ds_library tinyxml2 tinyxml2 lib/libtinyxml2.a || return 1

  VEMLA_WEB_DEPS=$prefix
  export VEMLA_WEB_DEPS
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  vemla_web_deps
  echo "$VEMLA_WEB_DEPS"
fi
