# Shared by the Windows program tests: the tests' environment (the native
# program run for comparison takes the native one), a track writer, a
# failure that shows the program's output, bounded waits for a line and for
# a connection, and frames compared with the native build's pixel by pixel.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/test-env.sh"
vemla_test_env windows
fail() {
  echo "FAIL: $*"
  for f in out.txt err.txt; do [ -s "$f" ] && { echo "--- $f"; tr -d '\r' <"$f"; }; done
  exit 1
}

le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
track() {  # channels samples rate file -> a track with every sample 0.0
  { printf "$(le32 "$1")$(le32 "$2")$(le32 "$3")"; head -c $((4 * $1 * $2)) /dev/zero; } >"$4"
}

# Waits up to 60 s for a line in the program's standard output (or in the
# file given), whose lines end in CR LF as Windows writes them.
expect_line() {
  local file=${2:-out.txt}
  for _ in $(seq 600); do
    tr -d '\r' <"$file" | grep -qx "$1" && return 0
    sleep 0.1
  done
  fail "no line '$1' in $file"
}

# Opens file descriptor 3 as a TCP connection to the port on 127.0.0.1,
# trying for up to 60 s while the program started in the background ($pid)
# runs.
connect_fd3() {
  for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || fail "the program ended before listening on port $1"
    if exec 3<>"/dev/tcp/127.0.0.1/$1"; then return 0; fi 2>/dev/null
    sleep 0.1
  done
  fail "no connection on port $1 within 60 s"
}

# Compares two folders of captured frames: the same names, and each pair the
# same PNG bytes or else the same pixels. Prints how far pixels differ when
# they do, and fails then.
compare_frames() {
  local a=$1 b=$2 name differ=0
  [ -n "$(ls "$a")" ] || fail "no frames in $a"
  for name in $(ls "$a"); do
    [ -f "$b/$name" ] || fail "$name is missing from $b"
    cmp -s "$a/$name" "$b/$name" && continue
    ffmpeg -v error -i "$a/$name" -f rawvideo -pix_fmt rgb24 -y "$a/$name.rgb"
    ffmpeg -v error -i "$b/$name" -f rawvideo -pix_fmt rgb24 -y "$b/$name.rgb"
    if cmp -s "$a/$name.rgb" "$b/$name.rgb"; then
      echo "$name: the same pixels in differently compressed files"
    else
      cmp -l "$a/$name.rgb" "$b/$name.rgb" | awk -v n="$name" -v size="$(stat -c %s "$a/$name.rgb")" '
        function dec(o) { return (substr(o,1,1) * 64) + (substr(o,2,1) * 8) + substr(o,3,1) }
        { o1 = sprintf("%03d", $2); o2 = sprintf("%03d", $3); d = dec(o1) - dec(o2); if (d < 0) d = -d
          if (d > worst) worst = d; count++ }
        END { printf "%s: %d of %d channel values differ (%.3f%%), by %d at most\n", n, count, size, 100 * count / size, worst }'
      differ=1
    fi
    rm -f "$a/$name.rgb" "$b/$name.rgb"
  done
  [ "$differ" -eq 0 ] || fail "frames differ from the native build's"
}
