#pragma once

#include "Model/Geometry/cellgrid.h"
#include "Model/Geometry/triangle.h"

#include <vector>

namespace Model {
namespace Geometry {

// Marching-cubes surface of the non-empty cells of the draw range. Sample
// points are cell centres; a cut edge's vertex sits at its midpoint, so the
// surface runs through the cell faces. Cells outside the range (or cut) are
// sampled as empty, which closes the surface along the range's faces.
class MarchingCubeSurface
{
public:
    // Rebuilds the triangle list; slabCount 0 means the global pool's maximum
    // thread count. Vertex normals are averaged over all triangles meeting at
    // a vertex position.
    void generate(const CellGrid &grid, unsigned slabCount = 0);
    void clear() { m_triangles.clear(); }

    const Automaton::TriangleVector &triangles() const { return m_triangles; }

private:
    Automaton::TriangleVector m_triangles;
};

} // namespace Geometry
} // namespace Model
