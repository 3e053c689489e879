#!/usr/bin/env bash
# Starts the program on a run directory whose content is damaged, one group
# of cases per call:
#   pictures  every picture at once removed, emptied, or random bytes: the
#             loader names each, and the program runs on to the end (0)
#   models    each model removed, emptied, or random bytes: it runs on (0),
#             or ends with status 1 after a message naming the model
#   meshless  each model replaced by a valid file that holds no mesh, with
#             every scene's channel on: it runs on (0)
#   track     demo.vrk removed, emptied, or random bytes: status 1 after a
#             message naming demo.vrk, or (random bytes that happen to read
#             as a track) a run to the end
#   music     the music removed, emptied, or random bytes: it plays on
#             without sound (0), and says so
# Never a signal, never a wait for anyone: no display is attached, and every
# run is bounded by a timeout.
set -u
program=$1
stage=$2
group=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL ($group): $*"; echo "--- stderr"; cat "$dir/err.txt" 2>/dev/null; exit 1; }

le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
# A track of 11 channels, every sample at the value's float bits, 32 samples
# at rate 1200: a tenth of a second.
track() {
  local one sample
  one=$(le32 "$1")
  sample=$(printf "%s" "$one")
  { printf "$(le32 11)$(le32 32)$(le32 1200)"; for _ in $(seq $((11 * 32))); do printf "$sample"; done; } >"$2"
}
# The bytes of a file damaged one of three ways.
damage() {  # how file
  case $1 in
    removed) rm -f "$2" ;;
    emptied) : >"$2" ;;
    random) head -c "$(stat -c %s "$stage/${2#$dir/}")" /dev/urandom >"$2" ;;
  esac
}
# Runs the program; sets status and fails on a signal or a timeout.
run() {
  (cd "$dir" && exec timeout 60 "$program" "$@" >out.txt 2>err.txt)
  status=$?
  [ "$status" -eq 124 ] && fail "still running after 60 s ($*)"
  [ "$status" -ge 128 ] && fail "ended by signal $((status - 128)) ($*)"
  return 0
}
fresh_data() { rm -rf "$dir/data"; cp -r "$stage/data" "$dir/data"; }

# Channel 6 at 1.0 shows a slide; 1.0 everywhere turns every scene on.
track 1065353216 "$dir/demo.vrk"
fresh_data
cases=0
case $group in
  pictures)
    for how in removed emptied random; do
      fresh_data
      while read -r picture; do damage $how "$picture"; done < <(find "$dir/data" -name '*.jpg')
      run
      [ "$status" -eq 0 ] || fail "exit status $status with every picture $how"
      while read -r picture; do
        name=$(basename "$picture")
        grep -q "$name" "$dir/err.txt" || fail "no message naming $name when $how"
      done < <(find "$stage/data" -name '*.jpg')
      cases=$((cases + 1))
    done ;;
  models|meshless)
    for model in clock.3ds pea.3ds cuberoom.3ds stempel.3ds; do
      for how in removed emptied random; do
        fresh_data
        if [ "$group" = meshless ]; then
          # The main chunk holding an empty editor chunk and nothing else.
          printf '\x4d\x4d\x0c\x00\x00\x00\x3d\x3d\x06\x00\x00\x00' >"$dir/data/$model"
        else
          damage $how "$dir/data/$model"
        fi
        run
        if [ "$group" = meshless ]; then
          [ "$status" -eq 0 ] || fail "exit status $status with $model holding no mesh"
          cases=$((cases + 1))
          break
        fi
        [ "$status" -eq 0 ] || [ "$status" -eq 1 ] || fail "exit status $status with $model $how"
        [ "$status" -eq 1 ] && ! grep -q "$model" "$dir/err.txt" && fail "status 1 without naming $model ($how)"
        cases=$((cases + 1))
      done
    done ;;
  track)
    for how in removed emptied random; do
      fresh_data
      track 1065353216 "$dir/demo.vrk"
      case $how in
        removed) rm "$dir/demo.vrk" ;;
        emptied) : >"$dir/demo.vrk" ;;
        random) head -c "$(stat -c %s "$dir/demo.vrk")" /dev/urandom >"$dir/demo.vrk" ;;
      esac
      run
      [ "$status" -eq 0 ] || [ "$status" -eq 1 ] || fail "exit status $status with demo.vrk $how"
      [ "$status" -eq 1 ] && ! grep -q "demo.vrk" "$dir/err.txt" && fail "status 1 without naming demo.vrk ($how)"
      [ "$how" != random ] && [ "$status" -ne 1 ] && fail "exit status $status with demo.vrk $how"
      cases=$((cases + 1))
    done ;;
  music)
    for how in removed emptied random; do
      fresh_data
      damage $how "$dir/data/vemla/sound.mp3"
      run
      [ "$status" -eq 0 ] || fail "exit status $status with the music $how"
      grep -q "playing without sound" "$dir/err.txt" || fail "no word of the missing sound ($how)"
      cases=$((cases + 1))
    done ;;
  *) fail "no such group" ;;
esac
echo "$group: $cases damaged run directories, no signal, no wait"
