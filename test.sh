#!/usr/bin/env bash
# Sets up, builds and runs every test. Tests run headless, each in the
# environment tests/environment.txt pins and under a time limit; the run
# ends with a summary and fails on a failure or on a skip that
# tests/skips.txt does not allow.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
vemla_install_packages
vemla_build
cd build
rm -f test-results.xml
status=0
ctest --output-on-failure -j2 --output-junit "$PWD/test-results.xml" "$@" || status=$?
../scripts/test-summary.sh native test-results.xml || status=1
exit "$status"
