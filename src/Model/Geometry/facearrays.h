#pragma once

#include "Model/Geometry/quadface.h"
#include "Model/Geometry/triangle.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Geometry {

class ColorMap;

// Flat vertex arrays of a face or triangle list, laid out for GL 1.1
// vertex arrays (glVertexPointer / glNormalPointer / glColorPointer). Built on
// demand by the painter; plain data, no GL calls.
class FaceArrays
{
public:
    // Selection tint of one colour component: c - 0.7 when c >= 0.7, else c + 0.3.
    static float selectedComponent(float c) { return c >= 0.7f ? c - 0.7f : c + 0.3f; }

    // Four vertices per quad. Fill colours, or edge colours when useEdgeColor.
    void buildQuads(const FaceVector &faces, bool selected, bool useEdgeColor = false);
    // Three vertices per triangle, coloured by material; a vertex whose
    // material has no colour keeps the colour of the vertex before it.
    void buildTriangles(const Automaton::TriangleVector &triangles, const ColorMap &colors, bool selected);
    // Only the colours changed (selection toggled): positions and normals stay.
    void recolorQuads(const FaceVector &faces, bool selected, bool useEdgeColor = false);

    void clear();
    size_t vertexCount() const { return positions.size() / 3; }
    bool empty() const { return positions.empty(); }

    std::vector<float> positions; // x, y, z per vertex
    std::vector<float> normals;   // x, y, z per vertex
    std::vector<float> colors;    // r, g, b, a per vertex
};

} // namespace Geometry
} // namespace Model
