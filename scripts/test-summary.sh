#!/usr/bin/env bash
# Says how a target's test run went and fails it on anything but passes and
# the skips tests/skips.txt allows that target:
#
#   scripts/test-summary.sh <target> <results>...
#
# Each results file is either CTest's JUnit report (--output-junit, a name
# ending in .xml) or lines "<pass|fail|skip> <test name> [why]" from a script
# (vemla_check in scripts/test-env.sh writes them). It prints how many tests
# ran, passed, failed and were skipped, names every failure and skip, and
# exits 1 when a test failed, a skip is not on the list, or no test ran.
# VEMLA_SKIPS names another list (the summary's own tests use that).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?a target: native, windows or web}
shift
skips=${VEMLA_SKIPS:-$root/tests/skips.txt}

# Every result as "<status>\t<name>": CTest's report has one testcase element
# a line, its status run, fail, notrun (a skip when a skipped element
# follows, else a test that could not start) or disabled.
results() {
  local file
  for file in "$@"; do
    if [ ! -r "$file" ]; then
      printf 'fail\t%s (no results: the run did not finish)\n' "$file"
    elif [[ $file == *.xml ]]; then
      awk '
        function unescape(s) {
          gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s); gsub(/&quot;/, "\"", s); gsub(/&apos;/, "'"'"'", s)
          gsub(/&amp;/, "\\&", s); return s
        }
        function flush() { if (name != "") printf "%s\t%s\n", status, name; name = "" }
        /<testcase / {
          flush()
          match($0, / name="[^"]*"/); name = unescape(substr($0, RSTART + 7, RLENGTH - 8))
          match($0, / status="[^"]*"/); s = substr($0, RSTART + 9, RLENGTH - 10)
          status = s == "run" ? "pass" : s == "disabled" ? "skip" : "fail"
          next
        }
        /<skipped / { if (status == "fail") status = "skip" }
        /<\/testcase>/ { flush() }
        END { flush() }' "$file"
    else
      awk '$1 == "pass" || $1 == "fail" || $1 == "skip" {
             status = $1; $1 = ""; sub(/^ /, ""); printf "%s\t%s\n", status, $0; next }
           NF { printf "fail\t%s (a results line that says neither pass, fail nor skip)\n", $0 }' "$file"
    fi
  done
}

allowed=$(awk -v t="$target" '$1 == t { printf "%s\t", $2; $1 = ""; $2 = ""; sub(/^ +/, ""); print }' "$skips")

results "$@" | awk -F'\t' -v target="$target" -v allowed="$allowed" -v list="${skips#"$root"/}" '
  BEGIN {
    n = split(allowed, lines, "\n")
    for (i = 1; i <= n; ++i) if (split(lines[i], f, "\t") >= 1 && f[1] != "") why[f[1]] = f[2]
  }
  { ++ran; count[$1]++ }
  $1 == "fail" { failures = failures "  failed:  " $2 "\n" }
  $1 == "skip" {
    # A script names its test with the reason after it; the list names the test.
    name = $2; sub(/ .*/, "", name)
    if (name in why) skipped = skipped "  skipped: " $2 " (listed: " why[name] ")\n"
    else { skipped = skipped "  skipped: " $2 " (NOT in " list ": a failure)\n"; ++unlisted }
  }
  END {
    printf "%s: %d tests ran: %d passed, %d failed, %d skipped\n", target, ran, count["pass"], count["fail"], count["skip"]
    printf "%s%s", failures, skipped
    if (ran == 0) { print "  no test ran"; exit 1 }
    if (count["fail"] || unlisted) exit 1
  }'
