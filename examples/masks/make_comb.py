#!/usr/bin/python3
"""Writes the comb-drive example: examples/masks/comb.gds (drawn with gdspy)
and examples/gdsii-comb.plst, the process list that builds the device from it.

Usage: python3 examples/masks/make_comb.py   (needs python3-gdspy)

The layout, in µm on a 64 x 64 µm die:
  layer 1/0  the device: two anchors and their interleaved fingers; the
             fingers are one FINGER structure placed by array references
  layer 2/0  the anchor openings in the sacrificial oxide
The list keeps the mask bits drawn on its 64 x 64 cells of 1 µm, so it runs
without the layout file; the layout settings beside them say where they came from.
"""
import os

import gdspy

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.dirname(HERE)
SIZE = 64


def layout():
    lib = gdspy.GdsLibrary(unit=1e-6, precision=1e-9)
    finger = gdspy.Cell("FINGER", exclude_from_current=True)
    finger.add(gdspy.Rectangle((0, 0), (28, 2), layer=1))
    comb = gdspy.Cell("COMB", exclude_from_current=True)
    comb.add(gdspy.Rectangle((2, 6), (12, 58), layer=1))   # stator anchor
    comb.add(gdspy.Rectangle((52, 6), (62, 58), layer=1))  # rotor anchor
    comb.add(gdspy.CellArray(finger, 1, 6, (0, 8), (12, 10)))  # stator fingers
    comb.add(gdspy.CellArray(finger, 1, 6, (0, 8), (24, 14)))  # rotor fingers
    comb.add(gdspy.Rectangle((4, 8), (10, 56), layer=2))
    comb.add(gdspy.Rectangle((54, 8), (60, 56), layer=2))
    lib.add([finger, comb])
    return lib, comb


def bits(cell, layer):
    polygons = cell.get_polygons(by_spec=True).get((layer, 0), [])
    points = [(x + 0.5, y + 0.5) for x in range(SIZE) for y in range(SIZE)]
    inside = [False] * len(points)
    for polygon in polygons:
        inside = [a or b for a, b in zip(inside, gdspy.inside(points, [polygon]))]
    return "".join("1" if v else "0" for v in inside)


def parameter(name, kind, data, visible=True):
    return ('        <Parameter parameter-name="%s" parameter-type="%s" parameter-data="%s" '
            'parameter-visibility="%s"/>\n' % (name, kind, data, "true" if visible else "false"))


def material(name, ident, color):
    return (parameter("Material", "QString", name) + parameter("Material_Color", "QColor", color, False) +
            parameter("Material_Id", "uint", ident, False))


def step(kind, body):
    return '    <Process-Data process-type="%d">\n%s    </Process-Data>\n' % (kind, body)


def lithography(resist, resist_id, resist_color, layer, mask):
    p = "Top Mask"
    return step(0, parameter("Bottom Mask", "vector", "", False) + parameter("Bottom Mask File", "QString", "") +
                parameter("Bottom Mask Height", "uint", 0) + parameter("Bottom Mask Width", "uint", 0) +
                material(resist, resist_id, resist_color) + parameter(p, "vector", mask, False) +
                parameter(p + " Datatype", "int", 0) + parameter(p + " File", "QString", "masks/comb.gds") +
                parameter(p + " Height", "uint", SIZE) + parameter(p + " Layer", "uint", layer) +
                parameter(p + " Origin X", "double", 0) + parameter(p + " Origin Y", "double", 0) +
                parameter(p + " Scale", "double", 1) + parameter(p + " Source", "QString", "GDSII") +
                parameter(p + " Structure", "QString", "COMB") + parameter(p + " Width", "uint", SIZE))


def etch(depth, name, ident, color):
    return step(5, parameter("Depth", "double", depth) + material(name, ident, color))


def rie(depth, name, ident, color):
    return step(13, parameter("Etch Depth", "uint", depth) + parameter("EtchDirectionValue", "int", 1, False) +
                material(name, ident, color))


def main():
    lib, comb = layout()
    lib.write_gds(os.path.join(HERE, "comb.gds"))
    with open(os.path.join(EXAMPLES, "cantilever.plst")) as f:
        text = f.read()
    materials = text[text.index("    <Materials>"):text.index("</Materials>") + len("</Materials>\n")]
    substrate = text[text.index('    <Process-Data process-type="11">'):text.index("</Process-Data>") + len("</Process-Data>\n")]
    si02, poly = ("Thermal Si02", 3, "#8080ff"), ("Poly-Si", 16, "#4d8066")
    body = (substrate +
            step(4, material(*si02) + parameter("Thickness", "double", 4)) +
            # Negative resist: the anchor openings (opaque on layer 2) are developed away.
            step(9, material("Photoresist -", 12, "#ff4dff") + parameter("Maximum Height", "uint", 30)) +
            lithography("Photoresist -", 12, "#ff4dff", 2, bits(comb, 2)) +
            rie(4, *si02) + etch(10, "Photoresist -", 12, "#ff4dff") +
            step(16, parameter("Film Thickness", "double", 3) + material(*poly)) +
            # Positive resist: the device (opaque on layer 1) stays covered.
            step(9, material("Photoresist +", 11, "#ff8080") + parameter("Maximum Height", "uint", 32)) +
            lithography("Photoresist +", 11, "#ff8080", 1, bits(comb, 1)) +
            rie(3, *poly) + etch(10, "Photoresist +", 11, "#ff8080") +
            # Release: the 2 µm fingers come free, the anchors stay on their openings.
            etch(5, *si02))
    with open(os.path.join(EXAMPLES, "gdsii-comb.plst"), "w") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\n<Process-List version="1">\n')
        out.write(materials + body + "</Process-List>\n")


if __name__ == "__main__":
    main()
