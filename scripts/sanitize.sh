#!/usr/bin/env bash
# Builds the project with AddressSanitizer and UndefinedBehaviorSanitizer into
# build/sanitize and runs the whole CTest suite there. Every sanitizer report
# ends the process that makes it, so the suite passes only with no report.
#
#   scripts/sanitize.sh [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vemla_install_packages

build="$root/build/sanitize"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEMLA_SANITIZE=ON >/dev/null
cmake --build "$build" -j "${VEMLA_JOBS:-2}"

# Leaks inside outside libraries (the GL driver, SDL, fontconfig) are
# suppressed by name in lsan.supp; the project's own code never is.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp":print_suppressions=0
cd "$build"
rm -f test-results.xml
status=0
ctest --output-on-failure -j "${VEMLA_JOBS:-2}" --output-junit "$PWD/test-results.xml" "$@" || status=$?
"$root/scripts/test-summary.sh" native test-results.xml || status=1
exit "$status"
