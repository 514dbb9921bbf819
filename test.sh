#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite: the normal
# build, then the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# the batch tests under ThreadSanitizer, then the whole program cross-built for
# Windows, tested under Wine and packed as an installer; the page in the
# browser, compiled to WebAssembly.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
echo "== $(scripts/windows-qt.sh --status)"
export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8
jobs=$(nproc)

# Runs ctest in build folder $1 (further arguments go to ctest) and says how
# many tests were skipped and why: a skipped test is never silent.
run_tests() {
  local dir=$1
  shift
  local log
  log=$(mktemp)
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@" | tee "$log"
  local skipped
  skipped=$(grep -cE '^[[:space:]]*[0-9]+ - .*\(Skipped\)$' "$log" || true)
  # Qt Test programs pass as a whole; their skipped functions are counted too.
  local qt_skipped
  qt_skipped=$(grep -c '^SKIP   :' "$dir/Testing/Temporary/LastTest.log" || true)
  echo "== $dir: $skipped test(s) skipped, and $qt_skipped window test function(s) skipped; why:"
  grep -A1 -E ': Skipped$' "$dir/Testing/Temporary/LastTest.log" | grep -vE ': Skipped$|^--$' | sort | uniq -c || true
  grep '^SKIP   :' "$dir/Testing/Temporary/LastTest.log" | sort | uniq -c || true
  rm -f "$log"
}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALDEN_BUILD_BENCH=ON -DKALDEN_EXTENDED_PARITY=ON >/dev/null
cmake --build build -j "$jobs"
run_tests build

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALDEN_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_tests build-sanitize

# The batch pipeline's threads and the integrals they share under
# ThreadSanitizer: a report fails the test (in kalden-report itself it lands
# on the standard error the tests compare).
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALDEN_SANITIZE_THREAD=ON \
  -DKALDEN_BUILD_GUI=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target kalden-report batch_tests batch_jobs_tests normal_distribution_tests
TSAN_OPTIONS=halt_on_error=1:exitcode=66 run_tests build-tsan -R '^(Batch|Csv|NormalCdf|WritePieces)'

# The scoring and report library alone, configured without SQLite, zlib or
# Qt, as it builds wherever a C++ compiler does, and with the software
# extended type that targets without x87 long double compute with.
cmake -S . -B build-core -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALDEN_CORE_ONLY=ON \
  -DKALDEN_SOFTWARE_EXTENDED=ON >/dev/null
cmake --build build-core -j "$jobs"
run_tests build-core

# The page: the scoring and report library compiled to WebAssembly, its
# tests under node, and the page in headless Chromium against kalden-report.
scripts/web.sh
run_tests build-web

# KALDEN cross-built for Windows against a Qt built once from Debian's
# sources, tested under Wine; the installer and the .zip, whose paths it
# prints last.
scripts/windows.sh
