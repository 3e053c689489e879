#!/usr/bin/env bash
# Sets up, builds and plays the demo. Without a display the whole demo runs
# through SDL's offscreen video driver and the program exits when the track ends.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
vemla_install_packages
vemla_build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}"
  echo "No display found: playing through SDL's offscreen video driver."
fi
stage="build/stage"
mkdir -p "$stage"
cd "$stage"
exec ../vemla "$@"
