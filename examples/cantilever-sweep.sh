#!/usr/bin/env bash
# Sweeps examples/cantilever.plst over the beam's film thickness (step 3: 1 to
# 5 cells) with GNU parallel, extracts each variant's cantilever (--netlist),
# measures two cell columns, collects the wide and the long table and, when
# pandas and matplotlib are installed, plots the beam's first-mode frequency
# against the film thickness. Run from the checkout after the build:
#   bash examples/cantilever-sweep.sh [FOLDER [PICTURE.png]]
# docs/images/cantilever-frequency.png was made by
#   bash examples/cantilever-sweep.sh build/cantilever-sweep docs/images/cantilever-frequency.png
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build/cantilever-sweep}
picture=${2:-$folder/frequency.png}
# A variant without a cantilever counts as failed for GNU parallel; collect tells why.
build/src/torvane-sweep examples/cantilever.plst \
  --grid "3:Film Thickness=1:5:1" \
  --netlist --measure --column 32,20 --column 32,50 \
  --out "$folder" --run parallel || true
build/src/torvane-sweep collect "$folder" --long > /dev/null
echo "results: $folder/results.csv and $folder/results-long.csv"
python=${PYTHON:-python3}   # the interpreter Debian's pandas and matplotlib serve, e.g. PYTHON=/usr/bin/python3
if "$python" -c "import pandas, matplotlib" 2>/dev/null; then
  "$python" examples/plot-cantilever-sweep.py "$folder/results-long.csv" "$picture"
else
  echo "pandas or matplotlib is not installed (Debian: apt-get install python3-pandas python3-matplotlib): no plot"
fi
