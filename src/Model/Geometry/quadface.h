#pragma once

#include "Model/Geometry/largeallocator.h"

#include <cstdint>
#include <vector>

namespace Model {
namespace Geometry {

// One drawable cell face. Corners run counter-clockwise seen from outside.
// The normal is one of six shared unit normals, selected by side.
struct QuadFace
{
    enum Side { MinusZ = 0, PlusZ = 1, MinusY = 2, PlusY = 3, MinusX = 4, PlusX = 5 };

    float corners[4][3];
    float fill[4];
    float edge[4];
    // No member initialisers: a list is sized first and filled by slab tasks,
    // and a trivial constructor leaves that memory for the tasks to touch.
    uint32_t material;
    uint32_t side;
    uint64_t serial;

    const float *normal() const { return normals()[side]; }

    // The six shared unit normals, indexed by side.
    static const float (*normals())[3];

    // The face of cell (x, y, z) on side, in a frame where a cell is cx * cy * cz.
    // The serial is left 0; see takeSerials.
    static QuadFace cellFace(unsigned x, unsigned y, unsigned z, unsigned side, float cx, float cy, float cz,
                             const float color[4], uint32_t material);
    // Same with a face edge of `edge` cells along every axis (octree leaves).
    static QuadFace blockFace(unsigned x, unsigned y, unsigned z, unsigned edge, unsigned side, float cx,
                              float cy, float cz, const float color[4], uint32_t material);

    // Reserves count consecutive numbers of the process-wide face counter and
    // returns the first. Generators number their merged lists in one go, so
    // the numbering follows list order and not thread scheduling.
    static uint64_t takeSerials(uint64_t count);

    // Equal geometry, colours and material; serials are not compared.
    bool sameAs(const QuadFace &o) const;
};

// A list of faces; large lists live on huge pages.
typedef std::vector<QuadFace, LargeAllocator<QuadFace>> FaceVector;

} // namespace Geometry
} // namespace Model
