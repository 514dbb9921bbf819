#!/usr/bin/env bash
# Runs a built test program as the unprivileged user "nobody", for the tests
# whose point is a permission that does not stop root: the program is copied
# into a fresh folder that user may enter, with a home of its own.
# Usage: scripts/as-nobody.sh PROGRAM [ARGUMENTS...]
set -euo pipefail
program=$1
shift
if [ "$(id -u)" -ne 0 ]; then
  exec "$program" "$@" # already unprivileged
fi
place=$(mktemp -d "${TMPDIR:-/tmp}/kalden-nobody.XXXXXX")
trap 'rm -rf "$place"' EXIT
chmod 0755 "$place"
cp "$program" "$place/"
mkdir "$place/home"
chown nobody:nogroup "$place/home"
cd "$place/home"
setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env \
  env HOME="$place/home" QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 TMPDIR="$place/home" \
  "$place/$(basename "$program")" "$@"
