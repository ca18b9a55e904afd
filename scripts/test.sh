#!/usr/bin/env bash
# Installs what is missing, builds the programs and benchmarks, then builds
# every test with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# them all with ctest (scripts/sanitize.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
bash "$root/scripts/sanitize.sh"
