#!/usr/bin/env bash
# Cross-builds KALDEN for 64-bit Windows with mingw-w64 against a static Qt
# built once from Debian's sources (scripts/windows-qt.sh): kalden.exe,
# kalden-report.exe and every test program; runs the tests and the golden
# reports under Wine, in a fresh Wine prefix of its own. Run from anywhere;
# builds in build-windows/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++-mingw-w64-x86-64-posix wine64 libgtest-dev nlohmann-json3-dev cmake ninja-build libz-mingw-w64-dev tcl
  qt6-base-dev-tools dpkg-dev icoutils nsis xvfb openbox xdotool x11-apps netpbm)
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
qt=$(scripts/windows-qt.sh | tail -n 1)
sqlite=$(scripts/windows-sqlite.sh | tail -n 1)
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DKALDEN_SQLITE_AMALGAMATION="$sqlite" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALDEN_BUILD_GUI=ON "${launcher[@]}" >/dev/null
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
"$wineserver" -k 2>/dev/null || true

# The installer and the portable .zip, from stripped copies of the programs.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
staging=build-windows/package/files
rm -rf build-windows/package
mkdir -p "$staging"
for program in kalden kalden-report; do
  x86_64-w64-mingw32-strip -o "$staging/$program.exe" "build-windows/src/$program.exe"
done
cp build-windows/src/kalden.ico "$staging/"
sed 's/$/\r/' LICENSE > "$staging/LICENSE.txt"
setup=$PWD/build-windows/package/kalden-$version-setup.exe
zip=$PWD/build-windows/package/kalden-$version-windows-x64.zip
makensis -V2 -DVERSION="$version" -DFILES="$PWD/$staging" -DOUTFILE="$setup" data/windows/kalden.nsi
# The page that runs KALDEN in a browser travels with it, where it has been
# built (scripts/web.sh; ./test.sh builds it first).
page=()
if [ -f build-web/kalden.html ]; then
  cp build-web/kalden.html "$staging/kalden.html"
  page=(kalden.html)
fi
(cd "$staging" && cmake -E tar cf "$zip" --format=zip kalden.exe kalden-report.exe LICENSE.txt "${page[@]}")

# The installed program end to end, with screenshots for a person to look at.
KALDEN_VERSION=$version scripts/windows-e2e.sh "$setup" build-windows/package/screenshots
echo "windows: installer $setup"
echo "windows: portable $zip"
echo "windows: screenshots in $PWD/build-windows/package/screenshots"
