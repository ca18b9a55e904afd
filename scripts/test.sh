#!/usr/bin/env bash
# Installs what is missing, builds, runs the service client's tests under
# AddressSanitizer, then every test with ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
# The service client once more under AddressSanitizer (threads, sockets, the
# generated SOAP code), in a build of its own.
bash "$root/scripts/sanitize.sh" --gtest_brief=1
build=${BUILD_DIR:-$root/build}
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
