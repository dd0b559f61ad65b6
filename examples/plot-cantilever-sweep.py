#!/usr/bin/env python3
"""Plots a cantilever sweep's first-mode frequency against the film thickness.

    python3 examples/plot-cantilever-sweep.py FOLDER/results-long.csv PICTURE.png

The table is the long one `torvane-sweep collect FOLDER --long` writes: one row
per variant and quantity. Variants in which torvane-batch found no cantilever
(the beam was never released) are marked on the thickness axis.
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import pandas as pd  # noqa: E402

table_file, picture = sys.argv[1], sys.argv[2]
table = pd.read_csv(table_file)
axis = "3:Film Thickness"

frequency = table[table.quantity == "beam_1.frequency_hz"]
unreleased = table[(table.quantity == "netlist_reason") & (table.value == "no cantilever was found")]

fig, ax = plt.subplots(figsize=(6, 4), dpi=100)
ax.plot(frequency[axis], frequency.value.astype(float) / 1e6, "o-", label="first mode (beam 1)")
if len(unreleased):
    ax.plot(unreleased[axis], [0] * len(unreleased), "x", color="tab:red", markersize=10,
            label="no cantilever: beam not released")
ax.set_xlabel("Poly-Si film thickness (cells; one cell is 1 \u00b5m here)")
ax.set_ylabel("frequency (MHz)")
ax.set_title("examples/cantilever.plst swept with torvane-sweep --netlist")
ax.set_ylim(bottom=-0.2)
ax.grid(True, alpha=0.3)
ax.legend(loc="upper left")
fig.tight_layout()
fig.savefig(picture)
print("plot:", picture)
