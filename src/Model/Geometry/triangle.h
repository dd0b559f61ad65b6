#pragma once

#include "Model/Geometry/largeallocator.h"

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

// One marching-cubes triangle: three vertices with position, normal and material.
struct Triangle
{
    struct Vertex
    {
        float position[3];
        float normal[3];
        uint32_t material;
    };
    Vertex vertices[3];
};

// A list of triangles; large lists live on huge pages.
typedef std::vector<Triangle, Geometry::LargeAllocator<Triangle>> TriangleVector;

} // namespace Automaton
} // namespace Model
