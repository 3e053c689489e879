#!/usr/bin/env bash
# Starts the program in server mode as a user would, in a directory holding
# only the staged data (no track), and talks to it on TCP port 1024 with
# bash's own connections: the captions it prints must follow the packets and
# the connection, and SIGTERM must end it with status 0. Every wait is
# bounded.
set -u
program=$1
stage=$2
source "$(dirname "$0")/../support/stop_program.sh"
dir=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; echo "--- stdout"; cat "$dir/out.txt"; echo "--- stderr"; cat "$dir/err.txt"; exit 1; }

le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
# Waits up to 20 s for a line in the program's output.
expect_line() {
  for _ in $(seq 200); do
    grep -qx "$1" out.txt && return 0
    sleep 0.1
  done
  fail "no line '$1'"
}

[ -d "$stage/data" ] && ln -s "$stage/data" "$dir/data"
cd "$dir"

"$program" -vrt >out.txt 2>err.txt &
pid=$!

# Loading takes a few seconds before the port opens.
connected=
for _ in $(seq 600); do
  kill -0 "$pid" 2>/dev/null || fail "the server ended before listening"
  if exec 3<>/dev/tcp/127.0.0.1/1024; then connected=1; break; fi 2>/dev/null
  sleep 0.1
done
[ -n "$connected" ] || fail "no connection on port 1024 within 60 s"
expect_line "ONLINE"

# N = 2 with (NaN, 0.5), sent in two pieces.
printf "$(le32 2)\\x00\\x00" >&3
sleep 0.2
printf "\\xc0\\xff\\x00\\x00\\x00\\x3f" >&3
expect_line "Reading 2 streams"
printf "$(le32 65)" >&3
expect_line "Out of sync"
exec 3>&-
expect_line "Offline"

stop_program "$pid" TERM 10 "the server"
pid=
[ "$(head -c 6 out.txt)" = "ONLINE" ] || fail "the first caption printed is not ONLINE"
echo "server mode followed the packets and ended on SIGTERM"
