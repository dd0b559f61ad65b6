#pragma once

#include <cstdint>

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

} // namespace Automaton
} // namespace Model
