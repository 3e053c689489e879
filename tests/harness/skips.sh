#!/usr/bin/env bash
# Skips as CTest sees them (GoogleTest's "[  SKIPPED ]" and the exit status
# 77) and as a script reports them: those on the list pass, any other fails
# the run, named.
#   skips.sh <ctest> <source root>
set -u
ctest=$1
root=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; cat "$dir/summary.txt" 2>/dev/null; exit 1; }
summary() { VEMLA_SKIPS="$dir/skips.txt" "$root/scripts/test-summary.sh" "$@" >"$dir/summary.txt"; }

cat >"$dir/CTestTestfile.cmake" <<'TESTS'
add_test(Suite.Passes "true")
add_test(Suite.SkipsListed "sh" "-c" "echo '[  SKIPPED ] Suite.SkipsListed'")
set_tests_properties(Suite.SkipsListed PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
add_test(Suite.SkipsByStatus "sh" "-c" "exit 77")
set_tests_properties(Suite.SkipsByStatus PROPERTIES SKIP_RETURN_CODE 77)
TESTS
(cd "$dir" && "$ctest" --output-junit results.xml >/dev/null 2>&1) || fail "CTest failed on skips"

printf '# a list\nnative Suite.SkipsListed no such thing here\nwindows Suite.SkipsByStatus only under wine\n' >"$dir/skips.txt"
summary native "$dir/results.xml" && fail "a skip listed for another target passed"
grep -q "skipped: Suite.SkipsByStatus (NOT in" "$dir/summary.txt" || fail "the unlisted skip is not named"
grep -q "skipped: Suite.SkipsListed (listed: no such thing here)" "$dir/summary.txt" || fail "the listed skip is not named"
grep -q "^native: 3 tests ran: 1 passed, 0 failed, 2 skipped" "$dir/summary.txt" || fail "wrong counts"

echo "native Suite.SkipsByStatus not on this system" >>"$dir/skips.txt"
summary native "$dir/results.xml" || fail "listed skips failed the run"

# A script's results: one listed skip passes, one unlisted fails.
printf 'pass page-3\nskip Suite.SkipsListed\n' >"$dir/script.txt"
summary native "$dir/script.txt" || fail "a script's listed skip failed the run"
printf 'pass page-3\nskip page-7 no WebGL\n' >"$dir/script.txt"
summary native "$dir/script.txt" && fail "a script's unlisted skip passed"
grep -q "skipped: page-7 no WebGL (NOT in" "$dir/summary.txt" || fail "the script's skip is not named"

# No results at all is no pass.
summary native "$dir/none.xml" && fail "a run without results passed"
echo "listed skips pass, unlisted ones fail the run, by CTest and by script"
