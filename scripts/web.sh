#!/usr/bin/env bash
# Builds the page alone with Debian's emscripten and prints its path: one
# self-contained HTML file (build-web/kalden.html). With a native build in
# build/, its tests also compare the page with kalden-report in headless
# Chromium (ctest --test-dir build-web), auditing it with axe-core, fetched
# once from the npm registry and checked against its published digest.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(emscripten nodejs node-acorn chromium chromium-driver python3-selenium curl ca-certificates openssl libboost-dev
  libfmt-dev libgtest-dev cmake ninja-build)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing ${missing[*]}" >&2
  apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

axe_version=4.10.2
axe_integrity=RE3mdQ7P3FRSe7eqCWoeQ/Z9QXrtniSjp1wUjt5nRC3WIpz5rSCve6o3fsZ2aCpJtrZjSZgjwXAoTO5k4tEI0w==
tools=build-web/test-tools
axe=$tools/axe-core-$axe_version/axe.min.js
if [ ! -f "$axe" ]; then
  mkdir -p "$tools"
  archive=$tools/axe-core-$axe_version.tgz
  curl -sSf -o "$archive" "https://registry.npmjs.org/axe-core/-/axe-core-$axe_version.tgz" >&2 || true
  if [ -f "$archive" ] && [ "$(openssl dgst -sha512 -binary "$archive" | base64 -w0)" = "$axe_integrity" ]; then
    mkdir -p "$tools/axe-core-$axe_version"
    tar xzf "$archive" -C "$tools/axe-core-$axe_version" --strip-components=1 package/axe.min.js
  else
    echo "web: axe-core $axe_version could not be fetched or does not match its digest" >&2
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
