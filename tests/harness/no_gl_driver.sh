#!/usr/bin/env bash
# The scene tests with Mesa's driver made unloadable: every test that needs
# the GL window fails with the reason and none is skipped; the program ends
# with status 1, not a crash.
#   no_gl_driver.sh <scenes_tests>
set -u
program=$1
out=$(mktemp)
trap 'rm -f "$out"' EXIT
fail() { echo "FAIL: $*"; tail -n 40 "$out"; exit 1; }

MESA_LOADER_DRIVER_OVERRIDE=bogus LIBGL_DRIVERS_PATH=/nonexistent timeout 100 "$program" >"$out" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "exit status $status"
grep -q "SKIPPED" "$out" && fail "tests were skipped"
failed=$(grep -c '^\[  FAILED  \] .*(' "$out")
reasons=$(grep -c "the GL test window could not be made: Unable to create window!" "$out")
[ "$failed" -ge 20 ] || fail "only $failed tests failed"
[ "$reasons" -eq "$failed" ] || fail "$failed tests failed, $reasons with the reason"
echo "$failed GL tests failed with the reason, none skipped, status 1"
