#!/usr/bin/env bash
# Times kalden-report's batch as whole processes against an older tree of
# this repository, on one generated file: text, csv and json output, one job
# and two, each to /dev/null, the median of five runs taken in turns; then
# two jobs against one; with the page built (scripts/web.sh), the page's
# batch in headless Chromium against this tree's kalden-report --jobs 1 on
# the same file, and the page's size; last --output against the output's
# floor.
# Usage: scripts/speed-figures.sh OLDER_REVISION [ROWS] [PAGE_ROWS]
set -euo pipefail
cd "$(dirname "$0")/.."
older=${1:?usage: scripts/speed-figures.sh OLDER_REVISION [ROWS] [PAGE_ROWS]}
rows=${2:-100000}
page_rows=${3:-20000}
here=$PWD
work=$(mktemp -d "${TMPDIR:-/tmp}/kalden-speed.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Release builds of the command line alone, this tree's and the older one's.
build() {
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALDEN_BUILD_GUI=OFF -DKALDEN_BUILD_TESTS=OFF \
    >/dev/null
  ninja -C "$2" kalden-report >/dev/null
}
mkdir "$work/older"
git archive "$older" | tar -x -C "$work/older"
echo "building this tree and $(git rev-parse --short "$older")..." >&2
build "$here" "$here/build-speed"
build "$work/older" "$work/older/build"
this=$here/build-speed/src/kalden-report
old=$work/older/build/src/kalden-report

# Scores spread over the range, and the options spread over their values.
generate() {
  python3 - "$1" <<'PY'
import random, sys
rng = random.Random(20261211)
print('id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,matrix_reasoning,'
      'ci,basis,bonferroni,criterion')
for r in range(int(sys.argv[1])):
    print(f'case {r},' + ','.join(str(rng.randint(1, 19)) for _ in range(7)) + ',' +
          ','.join([rng.choice(['traditional95', 'traditional90', 'glutting95', 'glutting90']),
                    rng.choice(['observed', 'true']), rng.choice(['yes', 'no']), rng.choice(['5', '10', '15'])]))
PY
}
generate "$rows" > "$work/cases.csv"

# The median elapsed seconds of five runs of each command, taken in turns so
# that both meet the same state of the machine. Arguments: one command per
# argument, as shell text.
medians() {
  python3 - "$@" <<'PY'
import statistics, subprocess, sys, time
times = [[] for _ in sys.argv[1:]]
for _ in range(5):
    for i, command in enumerate(sys.argv[1:]):
        start = time.perf_counter()
        subprocess.run(command, shell=True, check=True)
        times[i].append(time.perf_counter() - start)
print(' '.join(f'{statistics.median(t):.3f}' for t in times))
PY
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

echo "$rows rows; seconds, median of 5; this tree $(git rev-parse --short HEAD)$(git diff --quiet HEAD || echo '+changes')" \
  "against $(git rev-parse --short "$older"):"
printf '%-22s %9s %9s %13s\n' "batch to /dev/null" this older "this/older"
declare -A took
for format in text csv json; do
  for jobs in 1 2; do
    command="--batch $work/cases.csv --format $format --jobs $jobs"
    read -r mine theirs < <(medians "'$this' $command > /dev/null" "'$old' $command > /dev/null")
    took[$format$jobs]=$mine
    printf '%-22s %9s %9s %13s\n' "$format, --jobs $jobs" "$mine" "$theirs" "$(ratio "$mine" "$theirs")"
  done
done
for format in text csv json; do
  mine=$("$this" --batch "$work/cases.csv" --format "$format" | sha256sum)
  theirs=$("$old" --batch "$work/cases.csv" --format "$format" | sha256sum)
  echo "$format output: $([ "$mine" = "$theirs" ] && echo "the same bytes as" || echo "differs from") the older tree's"
done
for format in text csv json; do
  echo "$format: --jobs 2 is $(ratio "${took[${format}1]}" "${took[${format}2]}") times as fast as one job"
done
per_report=$(awk -v s="${took[text1]}" -v n="$rows" 'BEGIN {printf "%.1f", s / n * 1e6}')
echo "text reports, one job: $per_report us each"

# The page first: the --output runs below leave the machine with hundreds
# of megabytes of fresh file pages, after which the page's own memory costs
# more to get on a virtual machine.
page=$here/build-web/kalden.html
if [ -f "$page" ] && [ -x /usr/bin/chromium ] && /usr/bin/python3 -c 'import selenium' 2>/dev/null; then
  generate "$page_rows" > "$work/page.csv"
  echo "the page ($(stat -c %s "$page") bytes), $page_rows rows, against kalden-report --jobs 1 on the same file:"
  for format in text csv json; do
    seconds=$(/usr/bin/python3 "$here/bench/page_batch_time.py" "$page" "$work/page.csv" "$format")
    read -r native < <(medians "'$this' --batch $work/page.csv --format $format --jobs 1 > /dev/null")
    echo "  $format: $seconds s in the page's worker, $native s native: $(ratio "$native" "$seconds") of native speed"
  done
else
  echo "the page: not built (scripts/web.sh), not timed"
fi

# --output against the floor of writing the same bytes: the larger of the
# reports to /dev/null and cat of the finished file followed by sync.
"$this" --batch "$work/cases.csv" --output "$work/reference.txt"
read -r output null copy < <(medians "'$this' --batch $work/cases.csv --output $work/out.txt" \
  "'$this' --batch $work/cases.csv > /dev/null" "cat $work/reference.txt > $work/copy.txt && sync")
floor=$(awk -v a="$null" -v b="$copy" 'BEGIN {print (a > b ? a : b)}')
echo "--output: $output s against a floor of $floor s: $(ratio "$output" "$floor") times"
