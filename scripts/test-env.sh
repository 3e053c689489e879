#!/usr/bin/env bash
# For the scripts that run programs as tests: the tests' environment from
# tests/environment.txt, and each test's result with a time limit. Sourced:
#   vemla_test_env <native|windows>            sets it in this shell
#   vemla_with_test_env <native|windows> cmd   runs one command in it
#   vemla_check <results> <name> <seconds> cmd  runs a test, writes its result
VEMLA_TEST_ENV_FILE="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/environment.txt"

vemla_test_env() {
  local system=$1 which name value
  while read -r which name value; do
    case "$which" in '' | '#'*) continue ;; esac
    [ "$which" = all ] || [ "$which" = "$system" ] || continue
    if [ -n "$value" ]; then export "$name=$value"; else unset "$name"; fi
  done <"$VEMLA_TEST_ENV_FILE"
}

vemla_with_test_env() {
  (vemla_test_env "$1" && shift && exec "$@")
}

# Runs a script's test with a time limit and writes its result for
# scripts/test-summary.sh: "pass", "fail" or, on exit status 77 (CTest's
# convention), "skip", then the name.
#   vemla_check <results file> <name> <seconds> <command...>
# A shell function runs in this shell, where no timeout can reach it: it
# bounds each program it starts itself. Returns the command's status (124
# when cut off at the limit).
vemla_check() {
  local results=$1 name=$2 limit=$3 status=0
  shift 3
  if [ "$(type -t "$1")" = function ]; then
    "$@" || status=$?
  else
    timeout -k 10 "$limit" "$@" || status=$?
  fi
  case $status in
    0) echo "pass $name" >>"$results" ;;
    77) echo "skip $name" >>"$results" ;;
    124 | 137)
      echo "$name: cut off at its limit of $limit s"
      echo "fail $name (cut off at $limit s)" >>"$results"
      ;;
    *) echo "fail $name" >>"$results" ;;
  esac
  return $status
}
