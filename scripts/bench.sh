#!/usr/bin/env bash
# Builds a release build in build/release and times the demo's frames there:
# each scene alone, the whole track at 60 frames per second of track time,
# and a reference workload that every figure is compared with. Prints the
# table and writes it as CSV to build/bench/bench.csv. Extra arguments name
# the workloads to run (default: all); "--surface 1280x720" also presents
# every frame on a surface of that size, "--native" drawn at its resolution.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vemla_install_packages
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMLA_TESTS=OFF >/dev/null
cmake --build "$root/build/release" --target vemla_bench stage
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
"$root/build/release/vemla_bench" "$root/build/release/stage" "$root/build/bench/bench.csv" "$@"
