#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
build=${BUILD_DIR:-$root/build}
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
