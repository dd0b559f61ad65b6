#pragma once

#include "Model/Automaton/voxel.h"
#include "Model/Geometry/drawrange.h"

#include <cstddef>
#include <cstdint>

namespace Model {
namespace Geometry {

// What the surface generators read: a locked cell array, its sizes and the
// draw range (already clamped to the volume). Plain data, so generators run
// and are tested without a volume, a catalogue or a GL context.
struct CellGrid
{
    const Automaton::Voxel *cells = nullptr;
    const uint8_t *cuts = nullptr; // cut counts per cell, or null when nothing is cut
    unsigned sizeX = 0, sizeY = 0, sizeZ = 0;
    float cellSizeX = 1, cellSizeY = 1, cellSizeZ = 1;
    DrawRange range;

    size_t index(unsigned x, unsigned y, unsigned z) const { return (size_t(x) * sizeY + y) * sizeZ + z; }
    // The material a neighbour sees: cut cells count as empty.
    uint32_t visibleMaterial(size_t i) const { return isCut(i) ? 0u : cells[i].material; }
    bool isCut(size_t i) const { return cuts && cuts[i]; }
};

} // namespace Geometry
} // namespace Model
