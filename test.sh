#!/usr/bin/env bash
# Sets up, builds and runs every test. Tests run headless.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
vemla_install_packages
vemla_build
cd build
ctest --output-on-failure -j2 "$@"
