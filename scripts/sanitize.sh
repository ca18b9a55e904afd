#!/usr/bin/env bash
# Builds every program and test with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ (or $ASAN_BUILD_DIR) and runs
# all tests there with ctest. Arguments go to ctest (e.g. -R 'Receive').
#
# Leaks are counted, except the start-up allocations that system libraries
# keep until exit (scripts/lsan.supp). gtest's test discovery runs the test
# programs during the build, so the options are in force for the build too.
# Set ASAN_OPTIONS, UBSAN_OPTIONS or LSAN_OPTIONS to override
# (detect_leaks=0 turns leaks off).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ASAN_BUILD_DIR:-$root/build-asan}
asan_defaults=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-$asan_defaults}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}
# The same platform plugin everywhere, with or without a display.
export QT_QPA_PLATFORM=offscreen

start=$(date +%s)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
      -DCORVELANE_SANITIZE=address,undefined -DCORVELANE_BUILD_BENCHMARKS=OFF
cmake --build "$build" --parallel "$(nproc)"
echo "sanitize.sh: build took $(( $(date +%s) - start )) s"

cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
