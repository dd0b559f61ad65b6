#!/usr/bin/env python3
"""A trench in silicon coated with oxide, swept over the deposition thickness.

For each thickness the script deposits the film twice, by CVD (conformal) and
by PVD (directional, thin on the walls), measures the film on the top surface,
the trench floor and the side wall from the cells, prints a table and, when
matplotlib is there, plots film thickness against deposited thickness.

    PYTHONPATH=build/python python3 examples/python/trench_sweep.py [--plot trench.png]

matplotlib is optional; on Debian install it with `apt-get install python3-matplotlib`.
"""
import argparse
import sys

import numpy as np

import torvane

SI, OXIDE = 1, 3
NX, NY, NZ = 64, 16, 48
DEPTH, WIDTH = 16, 20          # the trench, in cells
TOP = 32                       # height of the silicon surface


def trench():
    """Silicon with a trench along y through the middle, cut with numpy."""
    vol = torvane.substrate(material="Si", volume_size_x=NX, volume_size_y=NY, volume_size_z=NZ,
                            substrate_size_x=NX, substrate_size_y=NY, substrate_size_z=TOP)
    cells = vol.materials
    left = (NX - WIDTH) // 2
    cells[left:left + WIDTH, :, TOP - DEPTH:TOP] = 0
    vol.set_materials(cells)
    return vol


def film(column):
    """The number of oxide cells in a run of cells."""
    return int(np.count_nonzero(column == OXIDE))


def measure(cells):
    """Oxide on the top surface, on the trench floor and on the left wall, in cells."""
    y = NY // 2
    left = (NX - WIDTH) // 2
    top = film(cells[4, y, TOP:])
    floor = film(cells[NX // 2, y, TOP - DEPTH:])
    wall = film(cells[left:NX // 2, y, TOP - DEPTH // 2])
    return top, floor, wall


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--plot", help="write the plot to this file instead of showing it")
    args = parser.parse_args()

    base = trench()
    thicknesses = [1.0, 2.0, 3.0, 4.0, 6.0, 8.0]
    processes = {
        "CVD": lambda vol, t: vol.run("CVD", material="Thermal Si02", thickness=t),
        "PVD": lambda vol, t: vol.run("PVD", material="Thermal Si02", thickness=t,
                                      horizontal_to_vertical_ratio=0.25, deposit_on=1),
    }
    results = {}
    for name, deposit in processes.items():
        rows = []
        for thickness in thicknesses:
            vol = base.copy()
            deposit(vol, thickness)
            rows.append(measure(vol.materials))
        results[name] = rows
    print("process  thickness  top  floor  wall")
    for name, rows in results.items():
        for thickness, (top, floor, wall) in zip(thicknesses, rows):
            print("%7s %10.1f %4d %6d %5d" % (name, thickness, top, floor, wall))

    try:
        import matplotlib
        if args.plot:
            matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("matplotlib is not installed (apt-get install python3-matplotlib): no plot")
        return 0
    figure, axes = plt.subplots()
    for name, style in (("CVD", "-"), ("PVD", "--")):
        for index, label in enumerate(("top surface", "trench floor", "side wall")):
            axes.plot(thicknesses, [row[index] for row in results[name]], style, marker="o",
                      label="%s, %s" % (name, label))
    axes.set_xlabel("CVD thickness")
    axes.set_ylabel("oxide film (cells)")
    axes.set_title("Oxide film in a %d x %d trench" % (WIDTH, DEPTH))
    axes.legend()
    if args.plot:
        figure.savefig(args.plot)
        print("plot written to %s" % args.plot)
    else:
        plt.show()
    return 0


if __name__ == "__main__":
    sys.exit(main())
