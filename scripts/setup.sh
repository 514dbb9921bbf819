#!/usr/bin/env bash
# Installs whatever the build and the tests need from Debian's packages.
# A no-op when everything is already present.
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libboost-dev libfmt-dev nlohmann-json3-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  clang-14 libclang-rt-14-dev clang-format-14
  xvfb xauth fonts-dejavu-core fonts-liberation
  libsqlite3-dev sqlite3 zlib1g-dev locales
  desktop-file-utils appstream groff-base dpkg-dev poppler-utils unzip
  g++-mingw-w64-x86-64-posix wine64
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
