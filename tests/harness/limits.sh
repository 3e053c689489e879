#!/usr/bin/env bash
# A test that never ends, run by CTest under a limit of 3 s beside one that
# passes: CTest cuts it off within the limit and reports it failed, and the
# run's summary names it and fails.
#   limits.sh <ctest> <source root>
set -u
ctest=$1
root=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cat >"$dir/CTestTestfile.cmake" <<'TESTS'
add_test(passes "true")
set_tests_properties(passes PROPERTIES TIMEOUT 3)
add_test(never_ends "sleep" "3600")
set_tests_properties(never_ends PROPERTIES TIMEOUT 3)
TESTS
start=$SECONDS
(cd "$dir" && "$ctest" --output-junit results.xml >ctest.txt 2>&1) && fail "CTest passed a test that never ends"
took=$((SECONDS - start))
[ "$took" -le 20 ] || fail "the run took $took s for a limit of 3 s"
grep -q "never_ends .*Timeout" "$dir/ctest.txt" || fail "not reported as cut off: $(cat "$dir/ctest.txt")"

"$root/scripts/test-summary.sh" native "$dir/results.xml" >"$dir/summary.txt" && fail "the summary passed the run"
cat "$dir/summary.txt"
grep -q "^native: 2 tests ran: 1 passed, 1 failed, 0 skipped" "$dir/summary.txt" || fail "wrong counts"
grep -q "failed:  never_ends" "$dir/summary.txt" || fail "the summary does not name the test cut off"
echo "a test that never ends was cut off after $took s and failed the run"
