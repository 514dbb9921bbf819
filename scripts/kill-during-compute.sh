#!/usr/bin/env bash
# Kills the desktop program with SIGKILL while it computes case after case,
# eight times, and checks the case records after each kill: SQLite's
# integrity check passes and no case recorded before is lost. Runs the
# program of build/ under Xvfb with openbox in a throw-away home; the clicks
# go to where the worksheet's Compute and the results window's "Return to
# Worksheet" stand on a 1280 x 1000 screen.
set -euo pipefail
cd "$(dirname "$0")/.."
kalden=$PWD/build/src/kalden
home=$(mktemp -d)
trap 'kill $wm $x 2>/dev/null; rm -rf "$home"' EXIT
export DISPLAY=:91
Xvfb :91 -screen 0 1280x1000x24 >/dev/null 2>&1 & x=$!
sleep 1
openbox >/dev/null 2>&1 & wm=$!
sleep 0.5
db=$home/data/kalden/cases.sqlite
before=0
for round in 1 2 3 4 5 6 7 8; do
  HOME=$home XDG_DATA_HOME=$home/data "$kalden" >/dev/null 2>&1 & program=$!
  sleep 2
  if [ $round = 1 ]; then
    for s in 12 7 11 9 8 10 13; do xdotool type --delay 5 "$s"; xdotool key Tab; done
  fi
  (for _ in $(seq 60); do
    xdotool mousemove 374 782 click 1; sleep 0.12
    xdotool mousemove 730 735 click 1; sleep 0.12
  done) & clicks=$!
  sleep "$((RANDOM % 3 + 1)).$((RANDOM % 10))"
  kill -9 $program; wait $program 2>/dev/null || true
  kill $clicks 2>/dev/null; wait $clicks 2>/dev/null || true
  check=$(sqlite3 "$db" "PRAGMA integrity_check;")
  count=$(sqlite3 "$db" "SELECT count(*) FROM cases;")
  echo "kill $round: integrity_check $check, $count cases (before the kill: $before)"
  [ "$check" = ok ] && [ "$count" -ge "$before" ] || { echo "FAILED"; exit 1; }
  before=$count
done
