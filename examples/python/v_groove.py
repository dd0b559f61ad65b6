#!/usr/bin/env python3
"""The V-groove of examples/v-groove.plst, built step by step from Python.

Runs the list's seven steps one call at a time, then runs the list itself with
torvane-batch and checks that both give the same cells, cell for cell.

    PYTHONPATH=build/python python3 examples/python/v_groove.py [--batch build/src/torvane-batch]

Exit status 0 when the cells are equal, 1 when they differ, 2 when torvane-batch
could not make its document.
"""
import argparse
import os
import subprocess
import sys
import tempfile

import numpy as np

import torvane

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.dirname(HERE)


def v_groove():
    """Silicon under an oxide mask opened by lithography, then etched along {111}."""
    vol = torvane.substrate(material="Si", volume_size_x=64, volume_size_y=64, volume_size_z=56,
                            substrate_size_x=64, substrate_size_y=64, substrate_size_z=40)
    vol.run("CVD", material="Thermal Si02", thickness=2.0)
    vol.run("Spin Coating", material="Photoresist +", maximum_height=46)
    vol.run("Photolithography", material="Photoresist +",
            top_mask=os.path.join(EXAMPLES, "masks", "v-groove-top.png"),
            bottom_mask=np.zeros((0, 0), dtype=bool))
    vol.run("Isotropic etching", material="Thermal Si02", depth=3.0)   # open the oxide window
    vol.run("Isotropic etching", material="Photoresist +", depth=8.0)  # strip the resist
    vol.run("Si wet etching", depth=16.0)                               # the anisotropic etch
    return vol


def batch_cells(batch, work):
    """The cells of the document torvane-batch writes for examples/v-groove.plst."""
    out = os.path.join(work, "v-groove-batch.tvn")
    env = dict(os.environ)
    env.pop("DISPLAY", None)  # no picture is asked for: no window system needed
    done = subprocess.run([batch, os.path.join(EXAMPLES, "v-groove.plst"), "--out", out],
                          cwd=work, env=env, capture_output=True, text=True)
    if done.returncode != 0:
        sys.stderr.write(done.stdout + done.stderr)
        return None
    (volume,) = torvane.load(out)
    return volume.materials


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--batch", default=os.path.join(EXAMPLES, "..", "build", "src", "torvane-batch"),
                        help="the torvane-batch program (default: build/src/torvane-batch)")
    parser.add_argument("--work", help="folder for torvane-batch's document (default: a temporary one)")
    args = parser.parse_args()

    cells = v_groove().materials
    print("Python steps: %d silicon, %d oxide cells" % (np.count_nonzero(cells == 1), np.count_nonzero(cells == 3)))
    with tempfile.TemporaryDirectory() as scratch:
        reference = batch_cells(args.batch, args.work or scratch)
    if reference is None:
        print("torvane-batch did not write its document")
        return 2
    if reference.shape == cells.shape and np.array_equal(reference, cells):
        print("equal to torvane-batch's document, cell for cell")
        return 0
    differ = np.count_nonzero(reference != cells) if reference.shape == cells.shape else "all"
    print("differs from torvane-batch's document in %s cells" % differ)
    return 1


if __name__ == "__main__":
    sys.exit(main())
