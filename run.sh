#!/usr/bin/env bash
# Sets everything up, builds and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
if [ -x build/src/kalden ]; then
  exec build/src/kalden "$@"
fi
exec build/src/kalden-report 12 7 11 9 8 10 13
