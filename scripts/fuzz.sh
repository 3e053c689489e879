#!/usr/bin/env bash
# Builds the libFuzzer target for the 3DS reader with clang (AddressSanitizer
# and UndefinedBehaviorSanitizer on) outside the main build, and runs it for
# a bounded number of executions and time.
#
#   scripts/fuzz.sh [runs] [seconds]     defaults: 1000000 runs, 1800 seconds
#
# New inputs go to build/fuzz/corpus (seeded from fuzz/corpus/3ds); findings
# are written to build/fuzz/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
VEMLA_PACKAGES=()
vemla_install_packages clang libclang-rt-14-dev

runs=${1:-1000000}
seconds=${2:-1800}
out="$root/build/fuzz"
mkdir -p "$out/corpus"
cp -n "$root"/fuzz/corpus/3ds/* "$out/corpus/" 2>/dev/null || true

clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root" \
  "$root/fuzz/Fuzz3DS.cpp" "$root/scene3d/File3DS.cpp" "$root/scene3d/Utils3DS.cpp" \
  "$root/platform/Stream.cpp" "$root/platform/Beep.cpp" \
  -o "$out/fuzz3ds"

cd "$out"
tmp=/tmp; [ -w /dev/shm ] && tmp=/dev/shm
FUZZ_TMPDIR=${FUZZ_TMPDIR:-$tmp} ./fuzz3ds -runs="$runs" -max_total_time="$seconds" -max_len=4096 \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 corpus
