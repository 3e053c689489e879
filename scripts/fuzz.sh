#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on, halting on the first report) outside the main
# build, and runs each for a bounded number of executions and time.
#
#   scripts/fuzz.sh [target|all] [runs] [seconds]
#       defaults: all targets in turn, 1000000 runs and 600 seconds each
#
# Targets: 3ds bmp tga jpeg png track packets timeline document sync rocket editscript. Each target's inputs grow
# in build/fuzz/<target>/corpus (seeded from fuzz/corpus/<target>); its
# findings are written to build/fuzz/<target>/. Set FUZZ_FLAGS for more
# libFuzzer options.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
VEMLA_PACKAGES=()
vemla_install_packages clang libclang-rt-14-dev

targets=(3ds bmp tga jpeg png track packets timeline document sync rocket editscript)
which=${1:-all}
runs=${2:-1000000}
seconds=${3:-600}

# Sources, extra flags and the longest input of each target.
sources_of() {
  case $1 in
    3ds) echo fuzz/Fuzz3DS.cpp scene3d/File3DS.cpp scene3d/Utils3DS.cpp platform/Stream.cpp platform/Beep.cpp platform/posix/PosixConsole.cpp ;;
    bmp) echo fuzz/FuzzBMP.cpp render2d/BMP.cpp ;;
    tga) echo fuzz/FuzzTGA.cpp render2d/TGA.cpp ;;
    jpeg) echo fuzz/FuzzJPEG.cpp render2d/JPEG.cpp -ljpeg ;;
    png) echo fuzz/FuzzPNG.cpp platform/PngFile.cpp -lpng ;;
    track) echo fuzz/FuzzTrack.cpp runtime/VRTReader.cpp platform/SharedState.cpp platform/Stream.cpp ;;
    packets) echo fuzz/FuzzPackets.cpp runtime/PacketFraming.cpp ;;
    timeline) echo fuzz/FuzzTimeline.cpp tools/timeline/Timeline.cpp tools/timeline/NumberText.cpp \
      -Itools/timeline ;;
    document) echo fuzz/FuzzDocument.cpp tests/tools/DocumentScript.cpp tools/document/*.cpp \
      tools/timeline/Timeline.cpp tools/timeline/NumberText.cpp platform/WholeFile.cpp platform/Stream.cpp \
      platform/native/NativeDocuments.cpp -Itools/timeline -Itools/document -Itests/tools ;;
    sync) echo fuzz/FuzzSync.cpp tools/sync/SyncProtocol.cpp tools/sync/SyncServer.cpp tools/timeline/Timeline.cpp \
      tools/timeline/NumberText.cpp platform/posix/PosixSockets.cpp -Itools/timeline -Itools/sync ;;
    rocket) echo fuzz/FuzzRocket.cpp tools/rocket/RocketXml.cpp tools/timeline/Timeline.cpp \
      tools/timeline/NumberText.cpp platform/WholeFile.cpp platform/Stream.cpp -Itools/timeline -Itools/rocket -ltinyxml2 ;;
    editscript) echo fuzz/FuzzEditScript.cpp tools/edit/Script.cpp tools/edit/Bindings.cpp tools/edit/EditOptions.cpp \
      runtime/CommandWords.cpp platform/Directory.cpp platform/Stream.cpp -Itools/edit \
      -Itools/timeline -Itools/document -Itools/send -Itools/sync -Itools/rocket -DVEMLA_SOURCE_DIR=\"$root\" -DVEMLA_BUILD_STAGE=\"$root/build/stage\" ;;
    *) return 1 ;;
  esac
}
max_len_of() {
  case $1 in
    jpeg | png) echo 16384 ;;
    packets) echo 1024 ;;
    *) echo 4096 ;;
  esac
}

fuzz_one() {
  local target=$1 out="$root/build/fuzz/$1"
  mkdir -p "$out/corpus"
  cp -n "$root/fuzz/corpus/$target"/* "$out/corpus/" 2>/dev/null || true
  # shellcheck disable=SC2046
  (cd "$root" && clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" $(sources_of "$target") -o "$out/fuzz-$target")
  local tmp=/tmp
  [ -w /dev/shm ] && tmp=/dev/shm
  # shellcheck disable=SC2086
  (cd "$out" && FUZZ_TMPDIR=${FUZZ_TMPDIR:-$tmp} UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "./fuzz-$target" -runs="$runs" -max_total_time="$seconds" -max_len="$(max_len_of "$target")" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 ${FUZZ_FLAGS:-} corpus)
}

if [ "$which" = all ]; then
  for t in "${targets[@]}"; do fuzz_one "$t"; done
elif sources_of "$which" >/dev/null; then
  fuzz_one "$which"
else
  echo "unknown target '$which'; one of: all ${targets[*]}" >&2
  exit 2
fi
