#!/usr/bin/env bash
# What the toolchain itself offers, for whoever weighs it again: run by
# `scripts/web.sh probe`, once that has installed what the web build needs
# and built its libraries, it builds the proof and the GL probe of
# tests/web with emscripten into build/web/proof, and opens them in headless
# Chromium, served from 127.0.0.1, through tests/web/browser.mjs:
#
# - the proof: a WebGL 2 context made through SDL, its canvas on screen
#   checked for the clear colour and the triangle, a JPEG, a glyph and an
#   MP3 decoded from the preloaded package, and a console without errors;
# - the GL probe, built with emscripten's legacy GL emulation on WebGL 1
#   and on WebGL 2, and without it: which of the demo's fixed-function
#   pieces link and draw as they should (a report; only its running to the
#   end is checked).
#
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

source scripts/web-deps.sh
: "${VEMLA_WEB_DEPS:?run it as scripts/web.sh probe}"

out=$root/build/web
proof=$out/proof

# The proof's fixtures: a JPEG of two colours, left (208, 40, 24) and right
# (24, 72, 192), 64 x 32 in 4:4:4, and half a second of 440 Hz as MP3.
fixtures=$out/fixtures
mkdir -p "$fixtures"
[ -f "$fixtures/proof.jpg" ] || ffmpeg -v error -nostdin -y -f lavfi -i "color=c=0xD02818:s=32x32" \
  -f lavfi -i "color=c=0x1848C0:s=32x32" -filter_complex "[0][1]hstack" -frames:v 1 -pix_fmt yuvj444p -q:v 2 \
  "$fixtures/proof.jpg"
[ -f "$fixtures/proof.mp3" ] || ffmpeg -v error -nostdin -y -f lavfi -i "sine=frequency=440:duration=0.5:sample_rate=44100" \
  -ac 1 -b:a 48k "$fixtures/proof.mp3"

echo "Web probe: the proof and the GL probe in build/web/proof"
# pkg_check_modules keeps what it found in the cache, flags included: a
# fresh cache each time, so that libraries built again are linked with
# their own flags (the objects are kept, and built again only if their
# commands change).
rm -f "$proof/CMakeCache.txt"
emcmake cmake -S tests/web -B "$proof" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/emscripten.cmake" \
  -DVEMLA_EMSCRIPTEN_ROOT="$VEMLA_EMSCRIPTEN_ROOT" \
  -DVEMLA_WEB_DEPS="$VEMLA_WEB_DEPS" \
  -DVEMLA_PROOF_FIXTURES="$fixtures" \
  -DCMAKE_BUILD_TYPE=Release >"$out/proof-configure.log" 2>&1 ||
  { tail -n 40 "$out/proof-configure.log"; exit 1; }
# The probe's links name the GL functions each build lacks; their log is
# kept for the summary below.
nice -n 10 cmake --build "$proof" >"$out/proof-build.log" 2>&1 ||
  { tail -n 60 "$out/proof-build.log"; exit 1; }
cp tests/web/index.html "$proof/index.html"
for program in proof glemu-webgl1 glemu-webgl2 glemu-es3; do
  printf '  %-13s' "$program"
  for suffix in js wasm data; do
    [ -f "$proof/$program.$suffix" ] && printf ' %s.%s %s' "$program" "$suffix" "$(du -k "$proof/$program.$suffix" | cut -f1) KiB"
  done
  echo
done

run_page() {
  timeout -k 10 200 node tests/web/browser.mjs --dir "$proof" --timeout 90 "$@"
}

echo "Web probe: the proof in headless Chromium"
run_page --page 'index.html?proof' --until 'proof: ' --ok 'proof: ok' \
  --screenshot "$out/proof.png" \
  --pixel 4,4,51,102,153 --pixel 160,40,51,102,153 --pixel 100,70,51,102,153 \
  --pixel 160,120,255,204,0 --pixel 90,175,255,204,0 --pixel 160,200,51,102,153

echo "Web probe: the GL probe"
for probe in glemu-webgl1 glemu-webgl2 glemu-es3; do
  echo "--- $probe: GL functions it lacks at link time:"
  # Ninja prints a command's output after its "Linking ... NAME.js" line.
  awk -v target="$probe.js" '
    /^\[[0-9]+\/[0-9]+\] / { linking = ($NF == target) }
    linking && /undefined symbol: / { sub(/.*undefined symbol: /, ""); sub(/ .*/, ""); print }
  ' "$out/proof-build.log" | sort -u | paste -sd ' ' | fold -s -w 76 | sed 's/^/    /'
  # Each case's line, with what the emulation and WebGL said about it
  # (the whole run is kept in build/web/NAME.txt).
  run_page --page "index.html?$probe" --until 'glemu: done' --allow-console | tee "$out/$probe.txt" |
    grep -E '^\[console\.log\] glemu: |^\[console\.error\] (missing function|TODO|WARNING)|^\[rendering warning\] WebGL: |^FAILED|^  ' |
    sed -e 's/^\[console\.log\] glemu: /    /' -e 's/ (http[^)]*)$//' -e 's/ Build with -s ASSERTIONS=1 for more info\.//'
done
echo "Web probe: all passed"
