#!/usr/bin/env bash
# Isotropic deposition of 10 cells on the same trench in Torvane and in the
# level-set library ViennaLS (commit 024b85f), side by side: time of the
# deposition, peak memory of each process, and the film on the top surface,
# the trench floor and its wall, which must agree within one cell.
#
#   bash bench/viennals-side-by-side.sh [NX NY NZ [THREADS]]     (default 256 256 128 2)
#
# Needs a Release build with torvane_scale_bench (scripts/build) and the peer's
# sources as ../shared/peers/viennals-024b85f.tar.gz beside the checkout, or
# wherever TORVANE_VIENNALS_ARCHIVE names; without them it says so and exits 0.
# The peer is built with g++ -O3 -fopenmp into the build folder (about a minute).
set -euo pipefail
cd "$(dirname "$0")/.."
nx=${1:-256} ny=${2:-256} nz=${3:-128} threads=${4:-2}
build_dir="${TORVANE_BUILD_DIR:-build}"
archive="${TORVANE_VIENNALS_ARCHIVE:-../shared/peers/viennals-024b85f.tar.gz}"
if [ ! -f "$archive" ]; then
  echo "skipped: no ViennaLS archive at $archive (set TORVANE_VIENNALS_ARCHIVE)"
  exit 0
fi
bench="$build_dir/bench/torvane_scale_bench"
if [ ! -x "$bench" ]; then
  echo "no $bench: build first (TORVANE_BUILD_DIR=$build_dir bash scripts/build)" >&2
  exit 1
fi
peer="$build_dir/viennals"
if [ ! -x "$peer/lsdeposition" ] || [ bench/viennals/lsdeposition.cpp -nt "$peer/lsdeposition" ]; then
  mkdir -p "$peer"
  tar -xzf "$archive" -C "$peer"
  g++ -O3 -fopenmp -std=c++17 -I "$peer/ViennaLS/include/viennals" -I "$peer/ViennaHRLE/include/viennahrle" \
      -I "$peer/ViennaCore/include/viennacore" -I "$peer/ViennaCore/include" \
      bench/viennals/lsdeposition.cpp -o "$peer/lsdeposition"
fi

echo "load: $(uptime)"
# The peer writes its plane as plane0.vtk in its working folder: keep that in the build folder.
ls_line=$(cd "$peer" && ./lsdeposition "$nx" "$ny" "$nz" "$threads")
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }

filter="BM_TrenchDeposition/$nx/$ny/$nz/$threads/"
tv_json=$(mktemp)
tv_time=$(mktemp)
trap 'rm -f "$tv_json" "$tv_time"' EXIT
/usr/bin/time -v "$bench" --benchmark_filter="$filter" --benchmark_format=json >"$tv_json" 2>"$tv_time"
if ! grep -q '"real_time"' "$tv_json"; then
  echo "torvane_scale_bench has no benchmark $filter (see BM_TrenchDeposition's sizes in bench/scalebench.cpp)" >&2
  exit 1
fi
tv() { python3 -c "import json,sys; b=json.load(open(sys.argv[1]))['benchmarks'][0]; print(b[sys.argv[2]])" "$tv_json" "$1"; }
tv_ms=$(tv real_time)
tv_rss=$(awk '/Maximum resident set size/ {printf "%.0f", $NF / 1024}' "$tv_time")

printf "%-10s %12s %14s %9s %11s %10s\n" "" "deposition" "peak memory" "film top" "film floor" "film wall"
printf "%-10s %9.0f ms %10s MiB %9s %11s %10s\n" Torvane "$tv_ms" "$tv_rss" "$(tv film_top)" "$(tv film_floor)" "$(tv film_wall)"
printf "%-10s %9s ms %10s MiB %9s %11s %10s\n" ViennaLS "$(field ms "$ls_line")" "$(field rss_mib "$ls_line")" \
  "$(field film_top "$ls_line")" "$(field film_floor "$ls_line")" "$(field film_wall "$ls_line")"
python3 - "$tv_ms" "$(field ms "$ls_line")" <<'PY'
import sys
tv, ls = float(sys.argv[1]), float(sys.argv[2])
print(f"Torvane is {ls / tv:.1f} x faster on this trench")
PY
ok=1
for what in film_top film_floor film_wall; do
  a=$(tv "$what"); b=$(field "$what" "$ls_line")
  if ! python3 -c "import sys; sys.exit(0 if abs(float('$a') - float('$b')) <= 1.0 else 1)"; then
    echo "the films disagree: $what is $a cells in Torvane and $b in ViennaLS" >&2
    ok=0
  fi
done
[ "$ok" = 1 ] && echo "the films agree within one cell (top, floor, wall)"
[ "$ok" = 1 ]
