#!/usr/bin/env bash
# Measures the write path of kalden-report --output as whole processes, and
# checks that SIGKILL at any moment of it leaves the old or the complete new
# file and nothing else. Run after a build: scripts/output-figures.sh [ROWS] [KILLS]
set -euo pipefail
cd "$(dirname "$0")/.."
report=$PWD/build/src/kalden-report
rows=${1:-100000}
kills=${2:-40}
work=$(mktemp -d "${TMPDIR:-/tmp}/kalden-output-figures.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

python3 - "$rows" > cases.csv <<'PY'
import random, sys
random.seed(1)
print("id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,matrix_reasoning")
for r in range(int(sys.argv[1])):
    print("c%d," % r + ",".join(str(random.randint(1, 19)) for _ in range(7)))
PY

seconds() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN {printf "%.3f\n", e - s}'
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

"$report" --batch cases.csv --output reference.txt
for run in 1 2 3 4 5; do
  seconds sh -c "'$report' --batch cases.csv > /dev/null" >> null.times
  seconds "$report" --batch cases.csv --output out.txt >> output.times
  seconds sh -c 'cat reference.txt > copy.txt && sync' >> cat.times
  rm -f copy.txt
done
null=$(median < null.times)
output=$(median < output.times)
copy=$(median < cat.times)
echo "rows $rows, $(stat -c %s reference.txt) bytes: reports to /dev/null ${null} s, --output ${output} s," \
  "cat+sync ${copy} s (medians of 5)"
awk -v o="$output" -v n="$null" -v c="$copy" 'BEGIN {printf "ratio to the larger of the two: %.2f\n", o / (n > c ? n : c)}'

# SIGKILL at random moments of one --output run over an older file.
expected=$(md5sum < reference.txt)
good=0
for k in $(seq "$kills"); do
  echo "an older file" > out.txt
  "$report" --batch cases.csv --output out.txt &
  sleep "0.$(printf '%03d' $((RANDOM % 1000)))"
  kill -KILL $! 2>/dev/null || true
  wait $! 2>/dev/null || true
  left=$(ls -A | grep -vxE 'cases.csv|reference.txt|out.txt|null.times|output.times|cat.times' || true)
  now=$(md5sum < out.txt)
  if [ -z "$left" ] && { [ "$(cat out.txt)" = "an older file" ] || [ "$now" = "$expected" ]; }; then
    good=$((good + 1))
  else
    echo "kill $k: left behind [$left], out.txt is neither the old nor the new file" >&2
  fi
done
echo "SIGKILL: $good of $kills runs left only out.txt, old or complete"
