#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite: the normal
# build, then the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the core and command line cross-built for Windows and tested under Wine.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALDEN_BUILD_BENCH=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALDEN_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

# The core and kalden-report cross-built for Windows, tested under Wine.
scripts/windows.sh
