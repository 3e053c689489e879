#!/usr/bin/env bash
# The Windows program under wine, started as a user would: a short track
# played in a window, frames captured at times across the demo equal to the
# native build's, the live preview fed from this machine over TCP and ended
# by Ctrl+C, and a missing model. Every wait is bounded.
#   tests/windows/programs.sh <wine> <Windows build folder> <native vemla> <native run directory>
set -u
wine=$1
build=$2
native=$3
stage=$4
source "$(dirname "$0")/common.sh"
dir=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
cd "$dir"
ln -s "$stage/data" data

# A one-second track in a window, to its end.
track 3 32 120 demo.vrk
timeout 120 "$wine" "$build/vemla.exe" -w >out.txt 2>err.txt || fail "exit status $? playing a one-second track"
echo "a one-second track played in a window"

# Frames at 10, 30, ..., 130 s, from the real track, against the native build's.
rm demo.vrk
cp "$stage/demo.vrk" demo.vrk
(cd "$stage" && vemla_with_test_env native timeout 300 "$native" --capture "$dir/native" --from 10 --to 131 --fps 0.05 2>/dev/null) ||
  fail "the native build could not capture"
timeout 300 "$wine" "$build/vemla.exe" --capture windows --from 10 --to 131 --fps 0.05 >out.txt 2>err.txt ||
  fail "exit status $? capturing frames"
compare_frames native windows
echo "$(ls windows | wc -l) frames at 10, 30, ..., 130 s equal the native build's"

# The live preview: the captions follow a packet sent from this machine, and
# Ctrl+C (SIGINT, which wine hands the console's handlers) ends it with 0.
rm demo.vrk
"$wine" "$build/vemla.exe" -vrt >out.txt 2>err.txt &
pid=$!
connect_fd3 1024
expect_line "ONLINE"
printf "$(le32 2)\\x00\\x00\\xc0\\xff\\x00\\x00\\x00\\x3f" >&3
expect_line "Reading 2 streams"
exec 3>&-
expect_line "Offline"
kill -INT "$pid"
for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the server still runs 20 s after Ctrl+C"
wait "$pid"
status=$?
pid=
[ "$status" -eq 0 ] || fail "exit status $status after Ctrl+C in server mode"
echo "the live preview followed a packet from 127.0.0.1 and ended on Ctrl+C"

# Video: without ffmpeg.exe the message says where to put it; with one
# beside the program (here a stand-in that keeps the raw frames), the frames
# go through its pipe and the video appears under its name, nothing beside
# it. The folder's name has a space, which the encoder's command line must
# quote.
cp "$build/vemla.exe" vemla-copy.exe
cp "$stage/demo.vrk" demo.vrk
timeout 120 "$wine" vemla-copy.exe --capture "my v/x.mp4" --from 30 --to 30.5 >out.txt 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "exit status $status without ffmpeg.exe"
tr -d '\r' <err.txt | grep -q "put ffmpeg.exe beside the program" || fail "no word of where ffmpeg.exe goes"
cp "$build/tests/windows/fake-ffmpeg.exe" ffmpeg.exe
timeout 120 "$wine" vemla-copy.exe --capture "my v/x.mp4" --from 30 --to 30.5 >out.txt 2>err.txt ||
  fail "exit status $? capturing through the stand-in encoder"
[ "$(ls -A "my v")" = "x.mp4" ] || fail "beside the video: $(ls -A "my v")"
[ "$(stat -c %s "my v/x.mp4")" -eq $((800 * 600 * 3 * 30)) ] || fail "$(stat -c %s "my v/x.mp4") bytes for 30 frames"
rm -f vemla-copy.exe ffmpeg.exe
echo "video capture: the missing ffmpeg.exe named, and 30 frames through the encoder's pipe"

# A missing model: its message, then status 1.
rm data
cp -r "$stage/data" data
rm data/clock.3ds
track 3 32 120 demo.vrk
timeout 120 "$wine" "$build/vemla.exe" -w >out.txt 2>err.txt
status=$?
[ "$status" -eq 1 ] || fail "exit status $status without data/clock.3ds"
tr -d '\r' <err.txt | grep -q "clock.3ds" || fail "no message naming clock.3ds"
echo "a missing data/clock.3ds: '$(tr -d '\r' <err.txt | grep clock.3ds | head -1)', status 1"
echo "all Windows program runs as expected"
