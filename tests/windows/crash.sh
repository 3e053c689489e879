#!/usr/bin/env bash
# A program that crashes under wine in the tests' prefix is a failure at
# once, its exception on standard error: no crash debugger holds the run.
#   tests/windows/crash.sh <wine> <Windows build folder>
set -u
wine=$1
build=$2
source "$(dirname "$0")/common.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
start=$SECONDS
timeout 60 "$wine" "$build/tests/windows/crash-at-once.exe" >out.txt 2>err.txt
status=$?
took=$((SECONDS - start))
[ "$status" -ne 124 ] || fail "the crash was still waiting after 60 s"
[ "$status" -ne 0 ] || fail "a crash ended with status 0"
tr -d '\r' <err.txt | grep -q "^wine: Unhandled page fault" || fail "no exception on standard error"
echo "a crash under wine ended in $took s with status $status: $(tr -d '\r' <err.txt | grep -m1 'Unhandled')"
