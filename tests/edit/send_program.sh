#!/usr/bin/env bash
# The editor started with --send 127.0.0.1:1024 before any preview runs,
# then the player in server mode as a user starts it: the editor, trying
# again quietly, must connect and send its packet of all eleven channels
# ("Reading 11 streams"), and SIGTERM must end it with status 0. Every wait
# is bounded.
set -u
player=$1
editor=$2
stage=$3
timeline=$4
source "$(dirname "$0")/../support/stop_program.sh"
dir=$(mktemp -d)
epid=
spid=
trap '[ -n "$epid" ] && kill -KILL "$epid" 2>/dev/null; [ -n "$spid" ] && kill -KILL "$spid" 2>/dev/null; rm -rf "$dir"' EXIT
fail() {
  echo "FAIL: $*"
  for f in out.txt err.txt edit-out.txt edit-err.txt; do echo "--- $f"; cat "$dir/$f"; done
  exit 1
}
# Waits up to the seconds for a line in the player's output.
expect_line() {
  for _ in $(seq $(($2 * 10))); do
    grep -qx "$1" out.txt && return 0
    sleep 0.1
  done
  fail "no line '$1' within $2 s"
}

cp "$timeline" "$dir/demo.timeline"
[ -d "$stage/data" ] && ln -s "$stage/data" "$dir/data"
cd "$dir"
printf 'wait 120000\n' >script.txt
"$editor" demo.timeline --data "$stage" --send 127.0.0.1:1024 --script script.txt >edit-out.txt 2>edit-err.txt &
epid=$!
sleep 1
kill -0 "$epid" 2>/dev/null || fail "the editor ended at the start"

"$player" -vrt >out.txt 2>err.txt &
spid=$!
expect_line "ONLINE" 60
expect_line "Reading 11 streams" 20

stop_program "$epid" TERM 10 "the editor"
epid=
stop_program "$spid" TERM 10 "the preview"
spid=
echo "the editor reached the preview that came after it"
