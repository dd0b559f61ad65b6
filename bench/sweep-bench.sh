#!/usr/bin/env bash
# A 64-variant sweep of the cantilever example with GNU parallel: wall time of
# the sweep on every core against the runs one after another (--jobs 1), and the
# sum of the single runs' times from the job log.
#   bash bench/sweep-bench.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
grid=(--grid "2:Thickness=3,4,5,6" --grid "3:Film Thickness=2,3,4,5" --grid "8:Depth=4,6,8,10" --measure)
sum_runs() { awk 'NR > 1 { s += $4 } END { printf "%.2f", s }' "$1/joblog.txt"; }
wall() { local t0 t1; t0=$(date +%s.%N); "$@" > /dev/null; t1=$(date +%s.%N); awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }'; }

one=$(wall "$build/src/torvane-sweep" examples/cantilever.plst "${grid[@]}" --out "$work/one" --run parallel --jobs 1)
all=$(wall "$build/src/torvane-sweep" examples/cantilever.plst "${grid[@]}" --out "$work/all" --run parallel --jobs "$(nproc)")
echo "64 variants, $(nproc) cores"
echo "one at a time:  wall ${one} s, sum of single runs $(sum_runs "$work/one") s"
echo "$(nproc) at once:     wall ${all} s, sum of single runs $(sum_runs "$work/all") s"
echo "speed-up: $(awk -v a="$one" -v b="$all" 'BEGIN { printf "%.2f", a / b }')"
