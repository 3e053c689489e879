#!/usr/bin/env bash
# The sync editor under wine, started as a user starts it in the unpacked
# folder (demo.timeline, demo.vrk and data beside it, found there without
# being named): a scripted session (two lines down, 0.5 typed, Enter, save,
# undo, save) leaves the timeline and its previous version as the native
# editor's same session does; and with --sync, idle on a project, it takes
# a demo's connection from this machine on TCP port 1338, greets it, and
# answers its GET_TRACK with the track's keys; Ctrl+C ends it with 0. A
# command-line job writes the player's track files. Every wait is bounded.
#   tests/windows/edit.sh <wine> <Windows build folder> <native vemla-edit> <native run directory> <timeline>
set -u
wine=$1
build=$2
native=$3
stage=$4
timeline=$5
source "$(dirname "$0")/common.sh"
dir=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
cd "$dir"
ln -s "$stage/data" data
cp "$stage/demo.vrk" demo.vrk

# The scripted session, natively (offscreen) on one copy, under wine on another.
printf 'key Down\nkey Down\ntext 0.5\nkey Enter\nkey Ctrl+S\nkey Ctrl+Z\nkey Ctrl+S\nquit\n' >script.txt
mkdir native
cp "$timeline" native/demo.timeline
(cd native && vemla_with_test_env native timeout 120 "$native" demo.timeline --data "$stage" --script ../script.txt \
  >../out.txt 2>../err.txt) || fail "the native editor's session: exit status $?"
[ -s native/demo.timeline~ ] || fail "the native session kept no previous version"
cmp -s native/demo.timeline~ "$timeline" && fail "the native session's edit changed nothing"
cp "$timeline" demo.timeline
timeout 180 "$wine" "$build/vemla-edit.exe" --script script.txt >out.txt 2>err.txt ||
  fail "exit status $? in the scripted session"
cmp -s demo.timeline "$timeline" || fail "the timeline is not as it was after save, undo, save"
cmp -s demo.timeline~ native/demo.timeline~ || fail "the version before the last save differs from the native session's"
[ ! -e .demo.timeline.recovery ] || fail "a recovery file was left behind"
echo "a scripted session (open, move, type, Enter, save, undo, save) left the timeline as the native editor does"

# A project for another demo, served to a demo connecting from this machine.
printf 'tempo 120 rows 4\ntrack camera:rot.y\n0 1 linear\n0:0:1 2\n' >project.timeline
"$wine" "$build/vemla-edit.exe" --sync project.timeline >out.txt 2>err.txt &
pid=$!
connect_fd3 1338
# Bytes from the editor, as hex, waiting at most 20 s for them.
read_hex() { timeout 20 dd bs=1 count="$1" status=none <&3 | od -An -tx1 | tr -d ' \n'; }
printf 'hello, synctracker!' >&3
greeting=$(read_hex 12)
[ "$greeting" = "$(printf 'hello, demo!' | od -An -tx1 | tr -d ' \n')" ] || fail "the greeting was '$greeting'"
# On joining: the cursor's row (SET_ROW 0) and pause (PAUSE 1).
joined=$(read_hex 7)
[ "$joined" = "03000000000401" ] || fail "after the greeting: '$joined', not SET_ROW 0 and PAUSE 1"
# GET_TRACK "camera:rot.y": both keys come back as SET_KEY on track 0:
# row 0, 1.0, linear; row 1, 2.0, step.
printf '\x02\x00\x00\x00\x0ccamera:rot.y' >&3
keys=$(read_hex 28)
[ "$keys" = "0000000000000000003f80000001""0000000000000000014000000000" ] || fail "the track's keys came as '$keys'"
exec 3>&-
expect_line "vemla-edit: Demo 1 joined (1 demo connected)" err.txt
expect_line "vemla-edit: Demo 1 left (no demo connected)" err.txt
kill -INT "$pid"
for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the editor still runs 20 s after Ctrl+C"
wait "$pid"
status=$?
pid=
[ "$status" -eq 0 ] || fail "exit status $status after Ctrl+C"
echo "with --sync the editor greeted a demo from 127.0.0.1:1338 and answered its GET_TRACK with both keys"

# A job: the player's track files.
timeout 120 "$wine" "$build/vemla-edit.exe" --export-tracks project.timeline sync >out.txt 2>err.txt ||
  fail "exit status $? writing the track files"
[ "$(od -An -tx1 sync_camera-3Arot.y.track | tr -d ' \n')" = "02000000000000000000803f01010000000000004000" ] ||
  fail "the track file holds $(od -An -tx1 sync_camera-3Arot.y.track)"
echo "--export-tracks wrote the player's track file"
echo "the sync editor runs under wine as expected"
