#pragma once

#include <cstdint>
#include <functional>

namespace Model {
namespace Automaton {
struct Voxel;
}

namespace Analysis {

// One triangle of a smooth surface: its unit normal and three corners,
// counter-clockwise seen from outside.
struct SurfaceTriangle
{
    float normal[3];
    float corner[3][3];
};

// The geometry smoothSurface works on.
struct SurfaceGrid
{
    const Automaton::Voxel *cells = nullptr;
    unsigned size[3] = {0, 0, 0};
    double cellSize[3] = {1, 1, 1};
    double origin[3] = {0, 0, 0}; // where cell (0, 0, 0)'s lower corner lies
};

// The smooth surface of one material's cells: the level 1/2 of the
// material's indicator (1 in its cells, 0 elsewhere and outside the volume)
// sampled at the cell centres and smoothed once by the filter
// (1, 3, 1) / 5 along each axis, triangulated by marching tetrahedra on the
// six tetrahedra of each cube of samples (Kuhn's subdivision, the same in
// every cube, so neighbours agree on every shared face and the surface
// is closed with every edge in exactly two triangles), corners by linear
// interpolation. No sample lies on the level, so no corner sits on a
// sample and no triangle degenerates. On a flat face of the cells the
// surface is exactly that face; edges and staircases are rounded over about
// a cell (a sphere of radius 10 cells comes within 3 % of its area and 2 % of
// its cells' volume; a thin layer loses the rounding along its edges). Triangles are turned outward
// (from the material towards the rest); out gets them in x-plane order.
// Returns the number of triangles.
uint64_t smoothSurface(const SurfaceGrid &grid, uint32_t material,
                       const std::function<void(const SurfaceTriangle &)> &out);

} // namespace Analysis
} // namespace Model
