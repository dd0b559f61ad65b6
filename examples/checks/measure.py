#!/usr/bin/env python3
"""Prints what the check lists are about from a document torvane-batch wrote.

Usage: measure.py DOCUMENT.tvn

For the first cell volume of the document: the cell count of each material,
the top of the silicon (material 1) in the centre column and its lowest and
highest value over all columns, and the depth of the doped material
(14 or 15) in the centre column: the number of doped cells from the top
silicon-family cell down, as a junction depth in cells (deepest doped cell
+ 0.5, the surface cell being depth 0).
"""
import sys
import xml.etree.ElementTree as ET
from collections import Counter


def first_volume(path):
    for obj in ET.parse(path).getroot().iter('Object'):
        if 'size-x' in obj.attrib:
            sx, sy, sz = (int(obj.attrib[k]) for k in ('size-x', 'size-y', 'size-z'))
            cells = [int(t) for t in obj.find('State').text.split()]
            return sx, sy, sz, cells
    sys.exit('no cell volume in ' + path)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sx, sy, sz, cells = first_volume(sys.argv[1])
    at = lambda x, y, z: cells[(x * sy + y) * sz + z]

    def top(x, y, materials):
        for z in range(sz - 1, -1, -1):
            if at(x, y, z) in materials:
                return z + 1
        return 0

    print('cells:', dict(sorted(Counter(cells).items())))
    tops = [top(x, y, {1}) for x in range(sx) for y in range(sy)]
    cx, cy = sx // 2, sy // 2
    print('silicon top: centre %d, lowest %d, highest %d' % (top(cx, cy, {1}), min(tops), max(tops)))
    surface = top(cx, cy, {1, 14, 15})
    z = surface
    while z > 0 and at(cx, cy, z - 1) in (14, 15):
        z -= 1
    if z < surface:
        print('junction depth (cells): %.1f' % (surface - 1 - z + 0.5))


if __name__ == '__main__':
    main()
