#include "facearrays.h"

#include "Model/Geometry/colormap.h"

#include <algorithm>

namespace Model {
namespace Geometry {

namespace {

inline void putColor(float *out, const float *c, bool selected)
{
    for (int i = 0; i < 3; ++i)
        out[i] = selected ? FaceArrays::selectedComponent(c[i]) : c[i];
    // Alpha keeps its class: a selected opaque body must stay opaque.
    out[3] = c[3];
}

} // namespace

void FaceArrays::clear()
{
    std::vector<float>().swap(positions);
    std::vector<float>().swap(normals);
    std::vector<float>().swap(colors);
}

void FaceArrays::buildQuads(const FaceVector &faces, bool selected, bool useEdgeColor)
{
    positions.resize(faces.size() * 12);
    normals.resize(faces.size() * 12);
    float *p = positions.data(), *n = normals.data();
    for (const QuadFace &f : faces) {
        const float *normal = f.normal();
        for (int v = 0; v < 4; ++v) {
            std::copy(f.corners[v], f.corners[v] + 3, p);
            std::copy(normal, normal + 3, n);
            p += 3;
            n += 3;
        }
    }
    recolorQuads(faces, selected, useEdgeColor);
}

void FaceArrays::recolorQuads(const FaceVector &faces, bool selected, bool useEdgeColor)
{
    colors.resize(faces.size() * 16);
    float *c = colors.data();
    for (const QuadFace &f : faces) {
        const float *color = useEdgeColor ? f.edge : f.fill;
        for (int v = 0; v < 4; ++v, c += 4)
            putColor(c, color, selected);
    }
}

void FaceArrays::buildTriangles(const Automaton::TriangleVector &triangles, const ColorMap &colorMap,
                                bool selected)
{
    positions.resize(triangles.size() * 9);
    normals.resize(triangles.size() * 9);
    colors.resize(triangles.size() * 12);
    float *p = positions.data(), *n = normals.data(), *c = colors.data();
    float previous[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (const Automaton::Triangle &t : triangles)
        for (const Automaton::Triangle::Vertex &v : t.vertices) {
            std::copy(v.position, v.position + 3, p);
            std::copy(v.normal, v.normal + 3, n);
            if (colorMap.contains(v.material))
                std::copy(colorMap.color(v.material), colorMap.color(v.material) + 4, previous);
            putColor(c, previous, selected);
            p += 3;
            n += 3;
            c += 4;
        }
}

} // namespace Geometry
} // namespace Model
