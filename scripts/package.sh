#!/usr/bin/env bash
# Builds the Debian package: a Release build in a folder of its own, then
# CPack's DEB generator, with the package's library dependencies worked out by
# dpkg-shlibdeps. The last line printed is the package's full path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The page goes into the package too (share/kalden/web).
scripts/web.sh >/dev/null
build=build-package
# Debian's usual hardening; none of it touches the arithmetic.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALDEN_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
  -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/kalden_*.deb
(cd "$build" && cpack -G DEB >&2)
package=$(ls "$PWD/$build"/kalden_*.deb)
echo "$package"
