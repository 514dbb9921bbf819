#!/usr/bin/env bash
# Builds the page alone with Debian's emscripten and prints its path: one
# self-contained HTML file (build-web/kalden.html). With a native build in
# build/, its tests also compare the page with kalden-report in headless
# Chromium (ctest --test-dir build-web), auditing it with axe-core, installed
# with npm from tests/web/package-lock.json.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(emscripten nodejs node-acorn chromium chromium-driver python3-selenium ca-certificates libboost-dev
  libfmt-dev libgtest-dev nlohmann-json3-dev poppler-utils cmake ninja-build)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# npm: Debian's own package, unless the nodejs installed carries it.
dpkg-query -W -f='${Status}' nodejs 2>/dev/null | grep -q "install ok installed" && command -v npm >/dev/null ||
  missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing ${missing[*]}" >&2
  apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

# The page test's tools come through npm from the lock file beside the test
# (each package checked against the integrity recorded there).
tools=build-web/test-tools
axe=$tools/node_modules/axe-core/axe.min.js
if ! cmp -s tests/web/package-lock.json "$tools/package-lock.json" || [ ! -f "$axe" ]; then
  mkdir -p "$tools"
  cp tests/web/package.json tests/web/package-lock.json "$tools/"
  if ! (cd "$tools" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >&2); then
    echo "web: the page test's tools could not be installed with npm ci (tests/web/package-lock.json)" >&2
    exit 1
  fi
fi

native=()
if [ -x build/src/kalden-report ]; then
  native=(-DKALDEN_NATIVE_REPORT="$PWD/build/src/kalden-report" -DKALDEN_AXE_JS="$PWD/$axe")
fi
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release "${native[@]}" >/dev/null
cmake --build build-web -j "$(nproc)" >&2
echo "$PWD/build-web/kalden.html"
