#pragma once

#include <cstdint>

namespace Model {
namespace Geometry {

// Marching-cubes case tables in the Lorensen-Cline layout: a 256-entry table
// of 12-bit cut-edge masks and a triangle table of 16 edge numbers per case
// ended by -1. Corner i of a cube at grid (x, y, z) lies at
//   0 (x, y+1, z)   1 (x+1, y+1, z)   2 (x+1, y, z)   3 (x, y, z)
//   4 (x, y+1, z+1) 5 (x+1, y+1, z+1) 6 (x+1, y, z+1) 7 (x, y, z+1)
// and edges 0-3 join corners 0-1, 1-2, 2-3, 3-0, edges 4-7 the same on top,
// edges 8-11 join corner i to i + 4. Bit i of a case is set when corner i is
// filled.
//
// The triangle table is derived once from the cube's faces rather than typed
// in: on each cube face the cut edges are paired around the filled corners
// (a face with two filled corners on a diagonal keeps them apart), the pairs
// are chained into closed loops and each loop is fanned into triangles that
// run counter-clockwise seen from the empty side. Because a face's pairing
// depends on that face alone, neighbouring cubes always agree and the mesh is
// closed, also in the ambiguous cases.
class MarchingCubeTables
{
public:
    static const uint16_t *edgeTable();
    static const int8_t (*triangleTable())[16];
    // The two corners of edge e, first corner first.
    static const uint8_t (*edgeCorners())[2];
    // Unit-cube coordinates of corner i.
    static const uint8_t (*cornerOffsets())[3];
};

} // namespace Geometry
} // namespace Model
