#!/usr/bin/env bash
# Makes SQLite's one-file amalgamation (sqlite3.c, sqlite3.h) once from
# Debian's own sqlite3 source package, for the Windows build to compile with
# mingw-w64, and keeps it in a cache folder outside the clone. Prints the
# folder as its last line. The folder counts as finished only once its
# ".kalden-complete" stamp is written.
set -euo pipefail
cd "$(dirname "$0")/.."

cache=${KALDEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kalden}
out=$cache/sqlite-amalgamation-debian
stamp=$out/.kalden-complete
if [ -f "$stamp" ]; then
  echo "windows-sqlite: SQLite $(cat "$stamp") amalgamation is in the cache" >&2
  echo "$out"
  exit 0
fi
say() { echo "windows-sqlite: $*" >&2; }
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

# The tools the amalgamation is made with: Debian's tcl, a host compiler.
missing=()
for tool in tclsh:tcl gcc:gcc make:make dpkg-source:dpkg-dev; do
  command -v "${tool%%:*}" >/dev/null 2>&1 || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -qq "${missing[@]}" >/dev/null
fi

# Debian's source packages: a deb-src entry beside the configured archive.
. scripts/debian-sources.sh
ensure_debian_sources sqlite3

work=$cache/sqlite-work
rm -rf "$work" "$out"
mkdir -p "$work" "$out"
say "fetching Debian's sqlite3 source and making sqlite3.c"
(cd "$work" && apt-get source --download-only sqlite3 >/dev/null 2>&1)
(cd "$work" && dpkg-source --no-check -x sqlite3_*.dsc src >/dev/null)
(cd "$work/src" && ./configure --disable-tcl >/dev/null && make -j"$(nproc)" sqlite3.c >/dev/null)
cp "$work/src/sqlite3.c" "$work/src/sqlite3.h" "$out/"
version=$(sed -n 's/^#define SQLITE_VERSION *"\(.*\)"/\1/p' "$out/sqlite3.h")
rm -rf "$work"
echo "$version" > "$stamp"
say "SQLite $version amalgamation made in $out"
echo "$out"
