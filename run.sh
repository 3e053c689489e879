#!/usr/bin/env bash
# Sets up, builds and plays the demo. Without a display there is nothing to
# play it on: the whole demo is captured to build/vemla.mp4, with its music.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
vemla_install_packages
vemla_build
stage="build/stage"
mkdir -p "$stage"
cd "$stage"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: capturing the whole demo to build/vemla.mp4 instead of playing it."
  ../vemla --capture ../vemla.mp4 "$@"
  echo "Done: watch build/vemla.mp4 in any video player or browser."
  exit 0
fi
exec ../vemla "$@"
