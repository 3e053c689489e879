#!/usr/bin/env bash
# scripts/compare.sh <frames A> <frames B> [lowest]
# Compares two frame captures of the same span (folders of frame-NNNNNN.png,
# as --capture writes them) pair by pair with ffmpeg's SSIM filter, and
# prints the mean SSIM and the lowest frames (5 by default) with their
# numbers. Frames of A at another size (a --size capture) are scaled to B's
# size first, by area. The whole list is left in <frames B>/ssim.txt.
set -euo pipefail
if [[ $# -lt 2 ]]; then
  echo "usage: scripts/compare.sh <frames A> <frames B> [lowest]" >&2
  exit 2
fi
a=$1 b=$2 lowest=${3:-5}
stats="$b/ssim.txt"
ffmpeg -loglevel error -nostdin -i "$a/frame-%06d.png" -i "$b/frame-%06d.png" \
  -lavfi "[0][1]scale2ref=flags=area[a][b];[a][b]ssim=stats_file=$stats" -f null -
# Lines read "n:1 Y:... U:... V:... All:0.987 (19.0)"; frames count from 0.
awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^All:/) { split($i, v, ":"); sum += v[2]; ++count } }
     END { if (count) printf "mean %.4f over %d frames\n", sum / count, count }' "$stats"
awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^All:/) { split($i, v, ":"); printf "%06d %s\n", substr($1, 3) - 1, v[2] } }' \
  "$stats" | sort -k2 -g | head -n "$lowest"
