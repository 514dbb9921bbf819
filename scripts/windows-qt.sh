#!/usr/bin/env bash
# Builds Qt for 64-bit Windows once, from Debian's own qtbase source package,
# as a static release Qt with what the windows need (Widgets, PrintSupport,
# the windows and offscreen platforms), and keeps it in a cache folder
# outside the clone. A later run finds it there and does nothing. Prints the
# Qt folder as its last line.
#
#   scripts/windows-qt.sh            # build when missing, print the folder
#   scripts/windows-qt.sh --status   # say whether it is in the cache
#
# The cache folder's name holds the Qt version and a hash of the build
# options, so changing how Qt is built builds it anew. The folder counts as
# finished only once its ".kalden-complete" stamp is written after the whole
# install, so a build cut off half-way is never taken for a finished one.
# (Qt keeps its install folder's path inside, so it is built where it stays.)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

qt_version=6.4.2
# OpenGL stays on: the windows platform plugin of this Qt does not build
# without it. Debian's source has no wintab.h, so tablet events are off.
qt_options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=ON
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_libpng=OFF -DFEATURE_system_libjpeg=OFF
)
options_hash=$({ echo "$qt_version ${qt_options[*]}"; cat cmake/mingw-w64-x86_64.cmake; } | sha256sum | cut -c1-12)
cache=${KALDEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kalden}
prefix=$cache/qt-$qt_version-mingw64-static-$options_hash
stamp=$prefix/.kalden-complete
if [ "${1:-}" = "--status" ]; then
  if [ -f "$stamp" ]; then
    echo "Qt $qt_version for Windows: in the cache ($prefix)"
  else
    echo "Qt $qt_version for Windows is not in the cache: the Windows stage builds it once from Debian's" \
      "sources, about 25 minutes on 2 cores, and keeps it in $cache"
  fi
  exit 0
fi
if [ -f "$stamp" ]; then
  echo "windows-qt: Qt $qt_version for Windows is in the cache" >&2
  echo "$prefix"
  exit 0
fi

say() { echo "windows-qt: $*" >&2; }
stage_start=$(date +%s)
stage() {
  local now
  now=$(date +%s)
  [ -z "${stage_name:-}" ] || say "$stage_name took $((now - stage_start)) s"
  say "$1"
  stage_name=$1
  stage_start=$now
}

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
say "building Qt $qt_version for Windows once; this takes about 20 to 30 minutes on 2 cores and is kept in $cache"

# Debian's source packages: a deb-src entry beside the configured archive.
stage "making sure Debian's source packages can be fetched"
. scripts/debian-sources.sh
ensure_debian_sources qt6-base

work=$cache/qt-$qt_version-work
rm -rf "$work" "$prefix"
mkdir -p "$work"
stage "fetching Debian's qt6-base source"
(cd "$work" && apt-get source --download-only qt6-base >/dev/null 2>&1)
(cd "$work" && dpkg-source --no-check -x qt6-base_*.dsc qtbase >/dev/null)

stage "configuring (static, release, mingw-w64 x86-64 POSIX threads)"
cmake -S "$work/qtbase" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  "${qt_options[@]}" >"$work/configure.log" 2>&1 || {
  tail -n 40 "$work/configure.log" >&2
  exit 1
}

stage "building (progress as steps done of all)"
cmake --build "$work/build" --parallel "$(nproc)" 2>&1 |
  awk '/^\[[0-9]+\/[0-9]+\]/ { split($1, a, /[\[\/\]]/); if (a[2] % 100 == 0 || a[2] == a[3]) { print "windows-qt: step " a[2] " of " a[3]; fflush() } }
       /FAILED|error:/ { print; fflush() }' >&2
[ "${PIPESTATUS[0]}" -eq 0 ] || exit 1

stage "installing"
cmake --install "$work/build" >/dev/null
date -u +%FT%TZ > "$stamp"
rm -rf "$work"
stage "done: Qt $qt_version for Windows in $prefix"
echo "$prefix"
