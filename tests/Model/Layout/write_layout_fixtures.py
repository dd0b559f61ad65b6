#!/usr/bin/python3
"""Writes the layout fixtures of the mask tests with gdspy, an independent
GDSII writer, and beside each layout the cells gdspy itself finds inside the
layer's shapes.

Usage: write_layout_fixtures.py OUTPUT_FOLDER

For every case NAME it writes NAME.gds and NAME.txt. The text holds one line
"structure layer datatype origin_x origin_y scale size_x size_y cell_x cell_y"
and one line of size_x * size_y digits, cell (x, y) at x * size_y + y, 1 where
the cell's centre lies inside the union of the layer's polygons as gdspy
flattens them (references, arrays, paths with their ends).
"""
import os
import sys

import gdspy


def centres(origin_x, origin_y, scale, size_x, size_y, cell_x, cell_y):
    return [(origin_x + (i + 0.5) * cell_x * scale, origin_y + (j + 0.5) * cell_y * scale)
            for i in range(size_x) for j in range(size_y)]


def write_case(folder, name, library, top, layer, datatype, grid):
    library.write_gds(os.path.join(folder, name + ".gds"))
    origin_x, origin_y, scale, size_x, size_y, cell_x, cell_y = grid
    by_layer = top.get_polygons(by_spec=True)
    polygons = []
    for (l, d), shapes in by_layer.items():
        if l == layer and (datatype < 0 or d == datatype):
            polygons.extend(shapes)
    points = centres(*grid)
    inside = [False] * len(points)
    # One polygon at a time: the union of shapes, whatever their orientation.
    for polygon in polygons:
        hits = gdspy.inside(points, [polygon])
        inside = [a or b for a, b in zip(inside, hits)]
    with open(os.path.join(folder, name + ".txt"), "w") as out:
        out.write("%s %d %d %r %r %r %d %d %r %r\n" % (top.name, layer, datatype, origin_x, origin_y, scale,
                                                        size_x, size_y, cell_x, cell_y))
        out.write("".join("1" if v else "0" for v in inside) + "\n")


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)

    # A rectangle, a second layer and a second datatype that must stay out.
    lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-9)
    top = gdspy.Cell("RECT", exclude_from_current=True)
    lib.add(top)
    top.add(gdspy.Rectangle((3, 2), (11, 7), layer=1, datatype=0))
    top.add(gdspy.Rectangle((0, 0), (16, 1), layer=2, datatype=0))
    top.add(gdspy.Rectangle((12, 9), (15, 12), layer=1, datatype=5))
    write_case(folder, "rectangle", lib, top, 1, 0, (0.0, 0.0, 1.0, 16, 14, 1.0, 1.0))
    write_case(folder, "rectangle-any-datatype", lib, top, 1, -1, (0.0, 0.0, 1.0, 16, 14, 1.0, 1.0))
    # The same layout placed off the origin, at 0.5 µm per cell unit on 2 x 1.5 cells.
    write_case(folder, "rectangle-placed", lib, top, 1, 0, (2.0, -1.0, 0.5, 12, 20, 2.0, 1.5))

    # A rotated, magnified and reflected reference of an asymmetric shape.
    lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-9)
    child = gdspy.Cell("FLAG", exclude_from_current=True)
    lib.add(child)
    child.add(gdspy.Polygon([(0, 0), (8, 0), (8, 2), (2, 2), (2, 6), (0, 6)], layer=3))
    top = gdspy.Cell("TOP", exclude_from_current=True)
    lib.add(top)
    top.add(gdspy.CellReference(child, (20, 12), rotation=30, magnification=1.5, x_reflection=True))
    top.add(gdspy.CellReference(child, (4, 4), rotation=90))
    write_case(folder, "rotated-reflected", lib, top, 3, 0, (0.0, 0.0, 1.0, 32, 28, 1.0, 1.0))
    # The same at a quarter µm per cell: enough columns for several slabs.
    write_case(folder, "rotated-reflected-fine", lib, top, 3, 0, (0.0, 0.0, 0.25, 128, 112, 1.0, 1.0))

    # An array of 4 x 3 copies, itself nested in a reference.
    lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-9)
    finger = gdspy.Cell("FINGER", exclude_from_current=True)
    lib.add(finger)
    finger.add(gdspy.Rectangle((0, 0), (2, 5), layer=4))
    block = gdspy.Cell("BLOCK", exclude_from_current=True)
    lib.add(block)
    block.add(gdspy.CellArray(finger, 4, 3, (5, 7), (1, 1)))
    top = gdspy.Cell("ARRAY", exclude_from_current=True)
    lib.add(top)
    top.add(gdspy.CellReference(block, (2, 1)))
    write_case(folder, "array", lib, top, 4, -1, (0.0, 0.0, 1.0, 26, 26, 1.0, 1.0))

    # A bent path 4 µm wide with square ends, written as a GDSII path.
    lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-9)
    top = gdspy.Cell("WIRE", exclude_from_current=True)
    lib.add(top)
    top.add(gdspy.FlexPath([(4, 4), (20, 4), (20, 16)], 4, ends="extended", corners="natural",
                           gdsii_path=True, layer=5))
    write_case(folder, "path", lib, top, 5, 0, (0.0, 0.0, 1.0, 26, 22, 1.0, 1.0))

    # A ring made of two boundaries that each form one half: the hole stays open.
    lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-9)
    top = gdspy.Cell("RING", exclude_from_current=True)
    lib.add(top)
    top.add(gdspy.Polygon([(2, 2), (10, 2), (10, 6), (6, 6), (6, 14), (10, 14), (10, 18), (2, 18)], layer=6))
    top.add(gdspy.Polygon([(10, 2), (18, 2), (18, 18), (10, 18), (10, 14), (14, 14), (14, 6), (10, 6)], layer=6))
    write_case(folder, "ring", lib, top, 6, 0, (0.0, 0.0, 1.0, 20, 20, 1.0, 1.0))


if __name__ == "__main__":
    main()
