# Sourced by the scripts that build from Debian's own source packages:
# ensure_debian_sources PACKAGE makes `apt-get source PACKAGE` work, adding a
# deb-src entry beside the configured archive when there is none. The caller
# sets as_root (empty as root, else sudo).
ensure_debian_sources() {
  apt-get source --print-uris "$1" >/dev/null 2>&1 && return 0
  echo "adding a deb-src entry for Debian's archive" >&2
  local uris
  uris=$(grep -h '^URIs:' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1 | cut -d' ' -f2-)
  uris=${uris:-http://deb.debian.org/debian}
  printf 'Types: deb-src\nURIs: %s\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$uris" | "${as_root[@]}" tee /etc/apt/sources.list.d/kalden-deb-src.sources >/dev/null
  "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq
}
