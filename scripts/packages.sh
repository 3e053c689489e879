#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Vemla need,
# skipping those already present. Sourced by run.sh and test.sh.
set -euo pipefail

VEMLA_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev
  libsdl2-dev libsdl2-mixer-dev
  libgl1-mesa-dev libgl1-mesa-dri libegl-mesa0 libglu1-mesa
  libjpeg62-turbo-dev libpng-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libmp3lame-dev ffmpeg
  libimgui-dev libstb-dev
  libtinyxml2-dev
)

vemla_install_packages() {
  local missing=()
  local p
  for p in "${VEMLA_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

vemla_build() {
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE="${VEMLA_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
  cmake --build "$root/build"
}
