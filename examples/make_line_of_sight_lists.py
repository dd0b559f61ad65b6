#!/usr/bin/env python3
"""Writes the line-of-sight example lists and their masks (standard library only):

  sputter-via.plst     a via opened through an oxide by ion-enhanced etching, then
                       sputtered aluminium: thin on the bottom and walls, overhangs at the mouth
  bosch-trenches.plst  an oxide hard mask with openings 4, 8, 16 and 32 cells wide and
                       20 Bosch cycles: near-vertical, scalloped trenches, the narrow ones shallower
  masks/via-top.png, masks/trenches-top.png   the masks (black = opaque)

python3 examples/make_line_of_sight_lists.py  (from the checkout's top folder)
"""
import os
import re
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write_png(path, width, height, opaque):
    """A grey-scale PNG: opaque(x, y) black, else white; y = 0 is the image's bottom row."""
    rows = b""
    for j in range(height):
        y = height - 1 - j
        rows += b"\x00" + bytes(0 if opaque(x, y) else 255 for x in range(width))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


def mask_bits(width, height, opaque):
    # Bit (x, y) at x * height + y, as the photolithography step keeps it.
    return "".join("1" if opaque(x, y) else "0" for x in range(width) for y in range(height))


def materials_block():
    # The catalogue as the V-groove list carries it.
    with open(os.path.join(HERE, "v-groove.plst"), encoding="utf-8") as f:
        text = f.read()
    return re.search(r"    <Materials>.*?</Materials>\n", text, re.S).group(0)


MATERIALS = {1: ("Si", "#808080"), 3: ("Thermal Si02", "#8080ff"), 4: ("Al (bulk)", "#b3b3b3"),
             11: ("Photoresist +", "#ff8080")}


def parameter(name, kind, data, visible=True):
    return ('        <Parameter parameter-name="%s" parameter-type="%s" parameter-data="%s" '
            'parameter-visibility="%s"/>\n' % (name, kind, data, "true" if visible else "false"))


def material(material_id, base="Material"):
    name, color = MATERIALS[material_id]
    return [(base, "QString", name, True), (base + "_Color", "QColor", color, False),
            (base + "_Id", "uint", str(material_id), False)]


def step(process_type, parameters):
    # Parameters in name order, as the program writes them.
    out = '    <Process-Data process-type="%d">\n' % process_type
    for p in sorted(parameters, key=lambda p: p[0]):
        out += parameter(*p)
    return out + "    </Process-Data>\n"


def substrate(volume, height):
    sx, sy, sz = volume
    return step(11, material(1) + [
        ("Lower Left Front Corner", "Util::Vector3D", "0;0;0", True),
        ("SphericalSubstrate", "bool", "false", False),
        ("Substrate Center X", "uint", "0", False), ("Substrate Center Y", "uint", "0", False),
        ("Substrate Center Z", "uint", "0", False), ("Substrate Radius", "uint", "50", False),
        ("Substrate Delta X", "uint", "0", True), ("Substrate Delta Y", "uint", "0", True),
        ("Substrate Delta Z", "uint", "0", True),
        ("Substrate Size X", "uint", str(sx), True), ("Substrate Size Y", "uint", str(sy), True),
        ("Substrate Size Z", "uint", str(height), True),
        ("Volume Size X", "uint", str(sx), True), ("Volume Size Y", "uint", str(sy), True),
        ("Volume Size Z", "uint", str(sz), True)])


def lithography(width, height, opaque, image):
    return step(0, material(11) + [
        ("Top Mask", "vector", mask_bits(width, height, opaque), False),
        ("Top Mask File", "QString", image, True),
        ("Top Mask Height", "uint", str(height), True), ("Top Mask Width", "uint", str(width), True),
        ("Bottom Mask", "vector", "", False), ("Bottom Mask File", "QString", "", True),
        ("Bottom Mask Height", "uint", "0", True), ("Bottom Mask Width", "uint", "0", True)])


def write_list(name, steps):
    with open(os.path.join(HERE, name), "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<Process-List version="1">\n')
        f.write(materials_block())
        for s in steps:
            f.write(s)
        f.write("</Process-List>\n")


def via():
    size = (64, 64, 64)

    def opaque(x, y):  # a round hole 16 cells across in the middle
        return (x + 0.5 - 32) ** 2 + (y + 0.5 - 32) ** 2 > 8 ** 2

    write_png(os.path.join(HERE, "masks", "via-top.png"), 64, 64, opaque)
    write_list("sputter-via.plst", [
        substrate(size, 20),
        step(4, material(3) + [("Thickness", "double", "20")]),                       # CVD oxide to z = 40
        step(9, material(11) + [("Maximum Height", "uint", "44")]),                   # resist to z = 44
        lithography(64, 64, opaque, "masks/via-top.png"),
        step(21, material(3) + [("Depth", "double", "24"), ("Ion Spread", "double", "2"),
                                ("Ion Fraction", "double", "0.9"),
                                ("Neutral Sticking Coefficient", "double", "0.2"),
                                ("Selectivity", "double", "10")]),                    # the via through the oxide
        step(5, material(11) + [("Depth", "double", "6")]),                           # strip the resist
        step(20, material(4) + [("Thickness", "double", "6"), ("Source Exponent", "double", "1"),
                                ("Sticking Coefficient", "double", "1")]),            # sputtered aluminium
    ])


def trenches():
    size = (160, 8, 140)
    openings = [(14, 18), (40, 48), (72, 88), (112, 144)]  # 4, 8, 16 and 32 cells wide

    def opaque(x, y):
        return not any(a <= x < b for a, b in openings)

    write_png(os.path.join(HERE, "masks", "trenches-top.png"), 160, 8, opaque)
    write_list("bosch-trenches.plst", [
        substrate(size, 120),
        step(4, material(3) + [("Thickness", "double", "2")]),                        # oxide hard mask
        step(9, material(11) + [("Maximum Height", "uint", "126")]),
        lithography(160, 8, opaque, "masks/trenches-top.png"),
        step(13, material(3) + [("Etch Depth", "uint", "2"), ("EtchDirectionValue", "int", "1", False),
                                ("Etch Direction", "QString", "Top", True)]),         # open the hard mask
        step(5, material(11) + [("Depth", "double", "6")]),                           # strip the resist
        step(22, [("Cycles", "uint", "20"), ("Etch per Cycle", "double", "4"),
                  ("Passivation per Cycle", "double", "1.3"), ("Ion Spread", "double", "3"),
                  ("Neutral Sticking Coefficient", "double", "0.1")]),
    ])


if __name__ == "__main__":
    via()
    trenches()
