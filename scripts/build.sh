#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR). Arguments name targets; none builds everything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
if [ $# -gt 0 ]; then
  cmake --build "$build" --parallel "$(nproc)" --target "$@"
else
  cmake --build "$build" --parallel "$(nproc)"
fi
