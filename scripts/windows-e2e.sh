#!/usr/bin/env bash
# The Windows installer and program end to end under Wine, as a clinician
# would use them: a silent install into a fresh Wine prefix, kalden.exe
# started on the windows platform on a private X display with a window
# manager, the scores typed and Compute pressed through X input, the results
# window and the saved last case checked, screenshots kept, and a silent
# uninstall that leaves only the data folder.
#   scripts/windows-e2e.sh SETUP.EXE ARTEFACT-FOLDER
set -euo pipefail
installer=$(realpath "$1")
artefacts=$(realpath -m "$2")
mkdir -p "$artefacts"

fail() {
  echo "windows-e2e: $*" >&2
  exit 1
}

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kalden-e2e.XXXXXX")
export WINEPREFIX WINEDEBUG=-all
unset QT_QPA_PLATFORM # the real windows platform
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
read -r -u 3 display
export DISPLAY=:$display
xvfb=$(pgrep -n -f "Xvfb -displayfd" || true)
openbox >/dev/null 2>&1 &
openbox_pid=$!
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  kill "$openbox_pid" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

"$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -w
user_folder="$WINEPREFIX/drive_c/users/${USER:-$(id -un)}"
programs="$user_folder/AppData/Local/Programs/KALDEN"
start_menu="$user_folder/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/KALDEN/KALDEN.lnk"
data_file="$user_folder/AppData/Local/kalden/kalden.txt"

echo "windows-e2e: silent install" >&2
"$wine" "$installer" /S
"$wineserver" -w
for file in kalden.exe kalden-report.exe Uninstall.exe; do
  [ -f "$programs/$file" ] || fail "the install put no $file in $programs"
done
[ -f "$start_menu" ] || fail "the install made no Start-menu entry"

# xdotool's own --sync wait dies on an X error when a window it is walking
# goes away meanwhile, as Wine's short-lived startup windows do; so ask
# again until the window is there.
#   wait_for_window TITLE-PATTERN SECONDS  (prints the first match)
wait_for_window() {
  local deadline=$((SECONDS + $2)) found
  while ((SECONDS < deadline)); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    if [ -n "$found" ]; then
      echo "$found"
      return 0
    fi
    sleep 0.5
  done
  return 1
}

screenshot() {
  xwd -root -silent -display "$DISPLAY" | xwdtopnm 2>/dev/null | pnmtopng > "$artefacts/$1"
}

# A person remembered from an earlier start, so that the case records her.
mkdir -p "${data_file%/*}"
printf 'person=Quintessa Vandermeer\nbirth_date=1957-08-19\nexaminer=Dr E. Fox\nreferral=zebra referral\n' \
  > "${data_file%/*}/session.txt"

echo "windows-e2e: kalden.exe, scores typed, Compute pressed" >&2
(cd "$programs" && exec "$wine" ./kalden.exe >/dev/null 2>&1) &
program_pid=$!
worksheet=$(wait_for_window '^KALDEN\.EXE' 120) || fail "the worksheet did not open"
xdotool windowactivate --sync "$worksheet" 2>/dev/null || xdotool windowfocus --sync "$worksheet"
sleep 1
for score in 12 7 11 9 8 10 13; do
  xdotool type --delay 80 "$score"
  xdotool key --delay 80 Tab
done
screenshot worksheet.png
# From the field after the seventh: the three option groups, the criterion
# group and the notes (where Tab moves on) lead to Compute.
xdotool key --delay 150 Tab Tab Tab Tab Tab space
wait_for_window '^Results viewer' 60 >/dev/null || {
  screenshot failed.png
  fail "no results window after Compute (screenshot: $artefacts/failed.png)"
}
sleep 2
screenshot results.png
[ "$(cat "$data_file" 2>/dev/null)" = "12 7 11 9 8 10 13  " ] || fail "the last case was not saved in $data_file"
"$wineserver" -k
wait "$program_pid" 2>/dev/null || true
"$wineserver" -w

# The case is recorded, and the installed kalden-report reads it back and
# prints it with the version.
echo "windows-e2e: the case records through kalden-report.exe --cases list" >&2
listed=$(cd "$programs" && "$wine" ./kalden-report.exe --cases list --format csv 2>&1 | tr -d '\r') ||
  fail "the listing ended with exit status $? and said: $listed"
echo "$listed" | grep -q '^1,[0-9-]* [0-9:]*,12,7,11,9,8,10,13,100,,Quintessa Vandermeer,1957-08-19,[0-9-]*,Dr E. Fox,zebra referral,traditional95,observed,no,5,[0-9]*,[0-9]*$' ||
  fail "the computed case is not in the records: $listed"

# Erased through the command line: nothing of her is left in any file of
# the data folder; the examiner, who is not her, stays.
echo "windows-e2e: the person erased through kalden-report.exe --cases delete" >&2
erased=$(cd "$programs" && "$wine" ./kalden-report.exe --cases delete 1 --whole-person 2>&1 | tr -d '\r') ||
  fail "the erasure ended with exit status $? and said: $erased"
[ "$erased" = "Deleted 1 case of Quintessa Vandermeer.
Also cleared the person and session remembered for the next start (session.txt).
Also cleared the last scores remembered for the next start (kalden.txt)." ] || fail "the erasure said: $erased"
for secret in "Quintessa Vandermeer" 1957-08-19 "zebra referral" "12 7 11 9 8 10 13"; do
  held=$(grep -rlaF "$secret" "${data_file%/*}" || true)
  [ -z "$held" ] || fail "after the erasure $held still holds '$secret'"
done
grep -q '^examiner=Dr E. Fox' "${data_file%/*}/session.txt" || fail "the erasure took the examiner too"
version=$(cd "$programs" && "$wine" ./kalden.exe --version 2>&1 | tr -d '\r') ||
  fail "kalden.exe --version ended with exit status $? and said: $version"
[ "$version" = "kalden $KALDEN_VERSION" ] ||
  fail "kalden.exe --version printed '$version'"

echo "windows-e2e: silent uninstall" >&2
"$wine" "$programs/Uninstall.exe" /S
"$wineserver" -w
sleep 2
[ ! -e "$programs" ] || fail "the uninstall left $programs"
[ ! -e "$start_menu" ] || fail "the uninstall left the Start-menu entry"
[ -f "${data_file%/*}/session.txt" ] || fail "the uninstall removed the user's data"
[ -f "${data_file%/*}/cases.sqlite" ] || fail "the uninstall removed the user's case records"
echo "windows-e2e: installed, computed, uninstalled; screenshots in $artefacts" >&2
