#!/usr/bin/env bash
# Cross-builds the core, the command line and kalden-report.exe for 64-bit
# Windows with mingw-w64 and runs their unit tests and the golden reports
# under Wine, in a fresh Wine prefix of its own. Run from anywhere; builds in
# build-windows/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++-mingw-w64-x86-64-posix wine64 libgtest-dev nlohmann-json3-dev cmake ninja-build)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  echo "windows: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq
  "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALDEN_BUILD_GUI=OFF "${launcher[@]}" >/dev/null
cmake --build build-windows -j "$(nproc)"

WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/kalden-wine.XXXXXX")"
export WINEPREFIX WINEDEBUG=-all DISPLAY=
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
"$wine" wineboot -i >/dev/null 2>&1
# Keep one wine server up for all the test programs.
"$wineserver" -p 2>/dev/null || true

ctest --test-dir build-windows --output-on-failure -j "$(nproc)"
