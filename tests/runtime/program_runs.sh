#!/usr/bin/env bash
# Starts the program as a user would: in a directory holding a short track
# (3 channels, 32 samples, rate 120, about one second) and the staged data.
# It must run to the end of the track and exit 0; without a track, or with a
# track it refuses, it must exit non-zero and say why on stderr. Every run is
# bounded by a timeout.
set -u
program=$1
stage=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
track() {  # channels samples rate file -> a track with every sample 0.0
  { printf "$(le32 "$1")$(le32 "$2")$(le32 "$3")"; head -c $((4 * $1 * $2)) /dev/zero; } >"$4"
}

[ -d "$stage/data" ] && ln -s "$stage/data" "$dir/data"
cd "$dir"

track 3 32 120 demo.vrk
start=$EPOCHREALTIME
timeout 60 "$program" 2>err.txt || fail "exit status $? with a valid track: $(cat err.txt)"
echo "ran a one-second track in $(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }') s"

rm demo.vrk
timeout 60 "$program" 2>err.txt && fail "exit status 0 without demo.vrk"
grep -q "Cannot open file demo.vrk" err.txt || fail "no 'Cannot open file demo.vrk' on stderr: $(cat err.txt)"

track 65 4 120 demo.vrk
timeout 60 "$program" 2>err.txt && fail "exit status 0 with 65 channels"
grep -q "exceeds 64" err.txt || fail "no reason for 65 channels on stderr: $(cat err.txt)"
# No window can be made: the window's message, then exit status 1, no signal.
track 3 32 120 demo.vrk
SDL_VIDEODRIVER=dummy timeout 60 "$program" 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "exit status $status without a window (dummy driver): $(cat err.txt)"
grep -q "Unable to create window!" err.txt || fail "no window message on stderr: $(cat err.txt)"
SDL_VIDEODRIVER=x11 DISPLAY=:vemla-none timeout 60 "$program" -w 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "exit status $status without an X server: $(cat err.txt)"
grep -q "Failed to register the window class!" err.txt || fail "no window message on stderr: $(cat err.txt)"

echo "all program runs as expected"
