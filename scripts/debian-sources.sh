#!/usr/bin/env bash
# Builds third-party libraries from Debian's own source packages (with
# Debian's patches applied) into one target's folder: include/, lib/,
# licences/<name>.txt and stamps/<name>. Sourced by windows-deps.sh and
# web-deps.sh, which hold the recipes, that is how each library is built for
# their target.
#
# A library is built again only when its stamp differs from what would be
# built now: the Debian version of its source and a digest of its recipe
# and of the toolchain's files. The source packages come through a
# project-local apt configuration that knows only Debian's deb-src lines;
# the system's apt setup is left alone. Its lists are fetched when missing,
# when a download fails, or when the caller asks for it, and used as they
# are otherwise.
#
# The functions here work on variables that the caller declares local
# (bash hands them down to every function it calls):
#   prefix     where the libraries are installed
#   stamps     $prefix/stamps
#   src        where the sources are fetched and unpacked, one folder each
#   bld        where they are built, one folder each
#   logs       one log per library, <name>.log
#   apt        the apt configuration, its lists and its cache
#   recipes    the recipes' common name: ${recipes}_build_NAME builds
#              library NAME, and ${recipes}_cmake is their shared step
#   toolchain_files   an array: the files besides the recipes that decide
#              what is built (the CMake toolchain file, for one)
#   updated    0 until the lists have been fetched in this run
# _vemla_ds_begin makes the folders and the apt configuration.
#
# shellcheck disable=SC2154 # those variables are the caller's
set -euo pipefail

# The Debian release whose sources are built.
VEMLA_DEBIAN_SUITE=bookworm

# What fetching and unpacking source packages needs.
# shellcheck disable=SC2034 # installed by the scripts that source this one
VEMLA_DEBIAN_SOURCES_PACKAGES=(dpkg-dev xz-utils debian-archive-keyring)

_vemla_ds_say() { echo "$*" >&2; }

# Writes the project-local apt configuration: Debian's source lines only,
# its own lists and cache, no translations, and no other sources or pins.
_vemla_ds_apt_setup() {
  mkdir -p "$apt"/{lists/partial,cache/archives/partial,etc/none}
  local key=/usr/share/keyrings/debian-archive-keyring.gpg s=$VEMLA_DEBIAN_SUITE
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

_vemla_ds_apt() { APT_CONFIG="$apt/apt.conf" "$@"; }

_vemla_ds_have_lists() { compgen -G "$apt/lists/*_Sources*" >/dev/null; }

_vemla_ds_update_lists() {
  _vemla_ds_say "Debian source lists: updating"
  if ! _vemla_ds_apt apt-get update >"$logs/apt-update.log" 2>&1; then
    _vemla_ds_say "apt-get update failed; last lines of $logs/apt-update.log:"
    tail -n 20 "$logs/apt-update.log" >&2
    return 1
  fi
  updated=1
}

# Makes the folders and the apt configuration, and fetches the source
# lists when there are none yet or when UPDATE is 1.
_vemla_ds_begin() {
  local update=${1:-0}
  mkdir -p "$prefix" "$src" "$bld" "$logs" "$stamps" || return 1
  _vemla_ds_apt_setup || return 1
  if ! _vemla_ds_have_lists || [ "$update" = 1 ]; then
    _vemla_ds_update_lists || return 1
  fi
}

# The full Debian version (epoch included) that `apt-get source WANTED` would
# fetch, where WANTED is a source package name, NAME=VERSION or NAME/SUITE.
_vemla_ds_version_of() {
  local wanted=$1 pkg=${1%%[/=]*} dsc ver v
  dsc=$(_vemla_ds_apt apt-get source --print-uris "$wanted" 2>/dev/null |
        awk '$2 ~ /\.dsc$/ { print $2; exit }') || true
  [ -n "$dsc" ] || return 1
  ver=${dsc#"${pkg}_"}
  ver=${ver%.dsc}
  # The file name leaves out the epoch; the source lists have it.
  for v in $(_vemla_ds_apt apt-cache showsrc --only-source "$pkg" 2>/dev/null |
             sed -n 's/^Version: //p'); do
    if [ "${v#*:}" = "$ver" ]; then echo "$v"; return 0; fi
  done
  echo "$ver"
}

# Downloads source package WANTED into src/NAME and unpacks it, Debian's
# patches applied, into src/NAME/tree.
_vemla_ds_fetch() {
  local name=$1 wanted=$2 dir=$src/$1 dsc
  rm -rf "$dir"
  mkdir -p "$dir"
  (cd "$dir" && _vemla_ds_apt apt-get source --download-only "$wanted") || return 1
  dsc=$(compgen -G "$dir/*.dsc" | head -n 1)
  dpkg-source -x "$dsc" "$dir/tree"
}

# A digest of how library NAME is built: its recipe, the shared CMake step,
# the toolchain's files and, for a library built by a project of our own,
# that project's folder cmake/NAME/, so that changing any of them builds it
# again.
_vemla_ds_recipe() {
  local own
  own=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/cmake/$1
  {
    declare -f "${recipes}_cmake" "${recipes}_build_$1"
    cat "${toolchain_files[@]}"
    if [ -d "$own" ]; then cat "$own"/*; fi
  } | sha256sum | cut -c1-16
}

_vemla_ds_stamp_text() { printf '%s\nrecipe %s' "$1" "$2"; }

# Whether NAME is installed from VERSION with RECIPE, PRODUCT being one of
# the files it installs.
_vemla_ds_current() {
  local name=$1 version=$2 recipe=$3 product=$4
  [ -f "$stamps/$name" ] && [ -e "$prefix/$product" ] &&
    [ "$(cat "$stamps/$name")" = "$(_vemla_ds_stamp_text "$version" "$recipe")" ]
}

# Builds NAME from SOURCE with ${recipes}_build_NAME, logging to its log,
# and stamps it with VERSION and RECIPE when that succeeds.
_vemla_ds_build() {
  local name=$1 version=$2 recipe=$3 source=$4 note=${5:-}
  local log=$logs/$name.log t0=$SECONDS
  printf '%s %s: building%s... ' "$name" "$version" "$note" >&2
  rm -rf "${bld:?}/$name" "${stamps:?}/$name"
  # Each step checks its own result, so that a failure stops the build
  # however this is called (errexit is off inside `if` and `||`).
  if ! "${recipes}_build_$name" "$source" "$bld/$name" >>"$log" 2>&1; then
    echo "failed" >&2
    _vemla_ds_say "--- last lines of $log:"
    tail -n 40 "$log" >&2
    return 1
  fi
  _vemla_ds_stamp_text "$version" "$recipe" >"$stamps/$name"
  echo >>"$stamps/$name"
  echo "done in $((SECONDS - t0)) s" >&2
}

# Brings library NAME, from Debian source package PKG, up to date; PRODUCT
# is one of the files it installs. The newest version in the lists is built,
# or, where that cannot be downloaded (the mirror may lack one of its files),
# the release's own one, PKG/SUITE; src/NAME.unfetchable remembers such a
# version so that later runs go straight to the release's one.
_vemla_ds_library() {
  local name=$1 pkg=$2 product=$3 again=${4:-}
  local log=$logs/$name.log skip=$src/$name.unfetchable
  local recipe candidate version wanted note=""
  recipe=$(_vemla_ds_recipe "$name")
  if ! candidate=$(_vemla_ds_version_of "$pkg"); then
    _vemla_ds_say "$name: no source package $pkg in the Debian source lists"
    return 1
  fi
  version=$candidate
  wanted="$pkg=$candidate"
  if [ -f "$skip" ] && [ "$(cat "$skip")" = "$candidate" ]; then
    wanted=$pkg/$VEMLA_DEBIAN_SUITE
    version=$(_vemla_ds_version_of "$wanted") || return 1
    note=" ($candidate cannot be fetched)"
  fi
  if _vemla_ds_current "$name" "$version" "$recipe" "$product"; then
    _vemla_ds_say "$name $version: up to date$note"
    return 0
  fi

  [ -n "$again" ] || : >"$log"
  if ! _vemla_ds_fetch "$name" "$wanted" >>"$log" 2>&1; then
    if [ "$updated" -eq 0 ]; then
      # The lists may be older than the mirror: fetch them and start over.
      echo "--- fetching $wanted failed; updating the lists and trying again" >>"$log"
      _vemla_ds_update_lists || return 1
      _vemla_ds_library "$name" "$pkg" "$product" again
      return
    fi
    if [ "$wanted" = "$pkg/$VEMLA_DEBIAN_SUITE" ]; then
      _vemla_ds_say "$name: could not fetch $wanted; last lines of $log:"
      tail -n 20 "$log" >&2
      return 1
    fi
    # The newest version cannot be had: remembered, and the release's one
    # taken, as later runs will.
    echo "$candidate" >"$skip"
    _vemla_ds_library "$name" "$pkg" "$product" again
    return
  fi
  _vemla_ds_build "$name" "$version" "$recipe" "$src/$name/tree" "$note"
}

# Copies the licence texts of NAME into licences/NAME.txt. Each argument
# is TITLE=FILE; with several, each text comes under a line with its title.
_vemla_ds_licence() {
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

# SDL2_mixer's CMake build writes SDL2_mixer.pc only for a shared library;
# this fills in its template from SOURCE the same way for the static one,
# which needs nothing beyond SDL2 as every decoder in it is its own.
_vemla_ds_mixer_pc() {
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
