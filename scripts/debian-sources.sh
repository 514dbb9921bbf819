# Sourced by the scripts that build from Debian's own source packages:
# ensure_debian_sources PACKAGE makes `apt-get source PACKAGE` work, adding a
# deb-src entry for the archive apt is configured with (in either of its
# formats) when there is none, and failing with a message where apt has no
# archive for bookworm. The caller sets as_root (empty as root, else sudo).
ensure_debian_sources() {
  apt-get source --print-uris "$1" >/dev/null 2>&1 && return 0
  local uri
  uri=$(apt-get indextargets --format '$(RELEASE) $(REPO_URI)' 'Created-By: Packages' 2>/dev/null |
    awk '$1 == "bookworm" { print $2; exit }' || true)
  if [ -z "$uri" ]; then
    echo "error: apt has no archive for Debian 12 (bookworm) configured, so the source of $1 cannot be fetched;" \
      "add one to /etc/apt/sources.list.d/ and run apt-get update" >&2
    return 1
  fi
  echo "adding a deb-src entry for $uri" >&2
  printf 'Types: deb-src\nURIs: %s\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$uri" | "${as_root[@]}" tee /etc/apt/sources.list.d/kalden-deb-src.sources >/dev/null
  "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq
}
