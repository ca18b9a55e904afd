#!/usr/bin/env bash
# Installs what is missing, builds the programs, and starts Corvelane from its program folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" Corvelane
build=${BUILD_DIR:-$root/build}
exec "$build/bin/Corvelane" "$@"
