#!/usr/bin/env bash
# The zip as a user gets it: unpacked into an empty folder and run under a
# fresh wine prefix, so that nothing comes from the build tree. It captures
# a frame equal to the native build's, and plays full screen on the
# 1280 x 720 display: a screenshot shows the picture in the centred 4:3
# rectangle with black sides. The sync editor started there without names
# finds the timeline and the run directory beside it, and saves an edit.
#   tests/windows/zip.sh <wine> <zip> <native vemla> <native run directory>
set -u
wine=$1
zip=$2
native=$3
stage=$4
source "$(dirname "$0")/common.sh"
dir=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; WINEPREFIX=$dir/prefix /usr/lib/wine/wineserver64 -k 2>/dev/null; rm -rf "$dir"' EXIT
export WINEPREFIX=$dir/prefix
"$(dirname "$0")/prefix.sh" "$wine" || fail "the fresh wine prefix could not be made"
cd "$dir"
unzip -q "$zip" -d unpacked
cd unpacked/vemla
for file in vemla.exe vemla-send.exe vemla-edit.exe demo.timeline demo.vrk data/clock.3ds fonts/DejaVuSans-Bold.ttf \
  README.txt licences/SDL2.txt licences/imgui.txt licences/tinyxml2.txt; do
  [ -f "$file" ] || fail "the zip has no $file"
done

timeout 300 "$wine" vemla.exe --capture "$dir/windows" --from 52 --to 52 >out.txt 2>err.txt ||
  fail "exit status $? capturing a frame from the unpacked zip"
(cd "$stage" && vemla_with_test_env native timeout 120 "$native" --capture "$dir/native" --from 52 --to 52 2>/dev/null) || fail "the native build could not capture"
compare_frames "$dir/native" "$dir/windows"
echo "the unpacked zip under a fresh prefix captured the native build's frame at 52 s"

cp demo.timeline "$dir/demo.timeline"
printf 'key Down\nkey Down\ntext 0.5\nkey Enter\nkey Ctrl+S\nquit\n' >script.txt
timeout 180 "$wine" vemla-edit.exe --script script.txt >out.txt 2>err.txt || fail "exit status $? editing in the unpacked folder"
[ -f demo.timeline~ ] && cmp -s demo.timeline~ "$dir/demo.timeline" && ! cmp -s demo.timeline "$dir/demo.timeline" ||
  fail "the editor started in the unpacked folder did not save its edit of demo.timeline there"
rm -f script.txt demo.timeline~
cp "$dir/demo.timeline" demo.timeline
echo "the sync editor in the unpacked folder found demo.timeline and the run directory there, and saved an edit"

# Full screen on the 1280 x 720 display, grabbed 15 s in (loading included).
"$wine" vemla.exe >out.txt 2>err.txt &
pid=$!
sleep 15
kill -0 "$pid" 2>/dev/null || fail "the demo ended within 15 s"
shot=${VEMLA_SCREENSHOT:-$dir/screen.png}
timeout 60 ffmpeg -v error -f x11grab -video_size 1280x720 -i "$DISPLAY" -frames:v 1 -y "$shot" || fail "no screenshot"
kill -INT "$pid"
for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -KILL "$pid" 2>/dev/null
pid=
# The bars left and right of the 960 x 720 picture are black; the picture is not.
ffmpeg -v error -i "$shot" -vf "crop=160:720:0:0,signalstats,metadata=print:key=lavfi.signalstats.YMAX:file=left.txt" -f null -
ffmpeg -v error -i "$shot" -vf "crop=160:720:1120:0,signalstats,metadata=print:key=lavfi.signalstats.YMAX:file=right.txt" -f null -
ffmpeg -v error -i "$shot" -vf "crop=960:720:160:0,signalstats,metadata=print:key=lavfi.signalstats.YMAX:file=middle.txt" -f null -
left=$(grep -o 'YMAX=[0-9]*' left.txt | cut -d= -f2)
right=$(grep -o 'YMAX=[0-9]*' right.txt | cut -d= -f2)
middle=$(grep -o 'YMAX=[0-9]*' middle.txt | cut -d= -f2)
[ "${left:-255}" -le 16 ] && [ "${right:-255}" -le 16 ] || fail "the sides are not black (brightest $left and $right)"
[ "${middle:-0}" -gt 16 ] || fail "the picture in the middle is black"
echo "full screen at 1280 x 720: the picture in the middle, black sides (screenshot $shot)"
