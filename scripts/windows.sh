#!/usr/bin/env bash
# Builds the Windows program from this machine and tests it under wine:
# installs what it needs from Debian, cross-builds the libraries once (into
# build/windows/deps), builds vemla.exe, vemla-send.exe, vemla-edit.exe and
# the tests with MinGW-w64 into build/windows/build, runs the tests under wine on an Xvfb
# display, tries the program as a user would, and packs
# build/windows/vemla-windows.zip, which is tried once more unpacked into an
# empty folder under a fresh wine prefix. Every test runs in the environment
# tests/environment.txt pins and under a time limit, and a program that
# crashes under wine ends at once (no crash dialog); the run ends with a
# summary and fails on a failure or a skip that tests/skips.txt does not
# allow.
#
#   scripts/windows.sh          everything above
#   scripts/windows.sh build    the build and the zip, without running anything
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
what=${1:-all}

source scripts/packages.sh
source scripts/windows-deps.sh
source scripts/test-env.sh

# Running Windows programs: wine, a display server for their windows (drawn
# by this machine's Mesa) and a screen grabber for the screenshot.
VEMLA_WINE_PACKAGES=(wine64 xvfb xauth zip unzip fonts-dejavu-core)
WINE=/usr/lib/wine/wine64

out=$root/build/windows
build=$out/build
zip=$out/vemla-windows.zip

vemla_install_packages "${VEMLA_WINDOWS_PACKAGES[@]}" "${VEMLA_WINE_PACKAGES[@]}"
# The run directory is made by the native build's content tool.
vemla_build
vemla_windows_deps

echo "Windows build: configuring and building in build/windows/build"
# The tests' environment for wine (quiet, and no installer of wine's own
# .NET and HTML engines, which would ask in a dialog with a display
# present), also for the test discovery that the build runs under wine.
vemla_test_env windows
export WINEPREFIX=$out/wineprefix
[ -f "$WINEPREFIX/system.reg" ] || echo "Windows build: making the wine prefix"
tests/windows/prefix.sh "$WINE"

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DVEMLA_WINDOWS_DEPS="$VEMLA_WINDOWS_DEPS" \
  -DVEMLA_HOST_STAGE="$root/build/stage" \
  -DVEMLA_WINE="$WINE" -DVEMLA_WINE_PREFIX="$WINEPREFIX" >"$out/configure.log" 2>&1 || { tail -n 40 "$out/configure.log"; exit 1; }
cmake --build "$build"

# The zip: the programs, the run directory, the fallback font, the licences
# of everything linked in, and a README.
echo "Windows build: packing $zip"
pack=$out/pack/vemla
rm -rf "$out/pack" "$zip"
mkdir -p "$pack/fonts" "$pack/licences"
cp "$build/vemla.exe" "$build/vemla-send.exe" "$build/vemla-edit.exe" "$pack/"
cp "$build/stage/demo.vrk" "$pack/"
cp -r "$build/stage/data" "$pack/data"
cp "$root/tools/content/demo.timeline" "$pack/"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf "$pack/fonts/"
cp "$VEMLA_WINDOWS_DEPS"/licences/* "$pack/licences/"
cp /usr/share/doc/fonts-dejavu-core/copyright "$pack/licences/DejaVu-fonts.txt"
for runtime in gcc-mingw-w64-base mingw-w64-common; do
  [ -f "/usr/share/doc/$runtime/copyright" ] && cp "/usr/share/doc/$runtime/copyright" "$pack/licences/$runtime.txt"
done
sed 's/$/\r/' "$root/scripts/windows/README.txt" >"$pack/README.txt"
(cd "$out/pack" && zip -qr "$zip" vemla)
echo "Windows build: $(du -h "$zip" | cut -f1) in $zip"

[ "$what" = build ] && exit 0

# A display for the programs' windows, on a number nobody else uses.
display=
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free X display number"; exit 1; }
Xvfb ":$display" -screen 0 1280x720x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
cleanup() {
  /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
export DISPLAY=":$display"
# One wine server for the whole run, so that each program starts quickly,
# and wine's own services started now, away from the tests: a service
# started by a test would hold that test's output open after it ends.
timeout 60 /usr/lib/wine/wineserver64 -p
timeout 300 "$WINE" wineboot </dev/null >/dev/null 2>&1 || true

# Each step's results, for the summary at the end; a failed step does not
# stop the others.
results=$out/test-results
rm -f "$results.xml" "$results.txt"
status=0
echo "Windows build: the test suites under wine"
(cd "$build" && ctest --output-on-failure -j2 --output-junit "$results.xml") || status=1

echo "Windows build: a crash under wine"
vemla_check "$results.txt" windows.crash 120 tests/windows/crash.sh "$WINE" "$build" || status=1

echo "Windows build: the programs under wine"
vemla_check "$results.txt" windows.programs 900 \
  tests/windows/programs.sh "$WINE" "$build" "$root/build/vemla" "$root/build/stage" || status=1

echo "Windows build: the sync editor under wine"
vemla_check "$results.txt" windows.edit 600 \
  tests/windows/edit.sh "$WINE" "$build" "$root/build/vemla-edit" "$root/build/stage" "$root/tools/content/demo.timeline" ||
  status=1

echo "Windows build: the zip in an empty folder under a fresh wine prefix"
vemla_check "$results.txt" windows.zip 600 \
  tests/windows/zip.sh "$WINE" "$zip" "$root/build/vemla" "$root/build/stage" || status=1

scripts/test-summary.sh windows "$results.xml" "$results.txt" || status=1
[ "$status" -eq 0 ] && echo "Windows build: all passed"
exit "$status"
