#!/usr/bin/env python3
"""A boron implant through a resist window, then a drive-in anneal.

A silicon wafer of 64 x 16 x 100 cells of 10 nm (1 µm of silicon under 0.6 µm of
resist over half of it), boron at 30 keV and 1e14 cm^-2, then 30 minutes at
1000 °C. Prints the junction depth against a 1e15 cm^-3 background in the open
column before and after the anneal and writes the cross-sections.

    PYTHONPATH=build/python python3 examples/python/implant_anneal.py [OUTPUT_FOLDER]
"""
import os
import sys

import numpy as np

import torvane

SI, RESIST = 1, 11


def junction_depth_nm(column, top, background=1e15, cell_nm=10.0):
    """Depth of the deepest cell above the background, from the surface at cell `top`."""
    above = np.nonzero(column[:top] > background)[0]
    return (top - above.min()) * cell_nm if above.size else 0.0


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    vol = torvane.Volume(size=(64, 16, 200), cell=(0.01, 0.01, 0.01))
    cells = np.zeros(vol.size, dtype=np.uint32)
    cells[:, :, :100] = SI
    cells[:32, :, 100:160] = RESIST
    vol.set_materials(cells)

    vol.run("Dopant Implant", species="B", energy=30.0, dose=1e14)
    boron = vol.concentration("B")
    print("after the implant: junction at %.0f nm, dose %.3g cm^-2, under the resist %.3g cm^-2"
          % (junction_depth_nm(boron[48, 8], 100), boron[48, 8].sum() * 1e-6, boron[8, 8].sum() * 1e-6))
    vol.section("y", 8, path=os.path.join(out, "implant.png"), dopant="B")

    vol.run("Dopant Anneal", temperature=1000.0, time=30.0)
    boron = vol.concentration("B")
    print("after 30 min at 1000 °C: junction at %.0f nm, dose %.3g cm^-2"
          % (junction_depth_nm(boron[48, 8], 100), boron[48, 8].sum() * 1e-6))
    vol.section("y", 8, path=os.path.join(out, "anneal.png"), dopant="B")


if __name__ == "__main__":
    main()
