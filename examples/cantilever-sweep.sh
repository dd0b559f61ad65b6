#!/usr/bin/env bash
# Sweeps examples/cantilever.plst over the beam's film thickness (step 3) and
# the depth of the release etch (step 8): 3 x 4 = 12 variants with GNU parallel,
# then one table of the results. Run from the checkout after the build:
#   bash examples/cantilever-sweep.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build/cantilever-sweep}
build/src/torvane-sweep examples/cantilever.plst \
  --grid "3:Film Thickness=2,3,4" \
  --grid "8:Depth=4:10:2" \
  --measure --column 32,20 --column 32,50 \
  --out "$folder" --run parallel
build/src/torvane-sweep collect "$folder" > /dev/null
echo "results: $folder/results.csv"
