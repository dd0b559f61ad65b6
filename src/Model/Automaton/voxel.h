#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

// One cell of a cell volume: the id of the material that fills it, and nothing
// else, so a volume costs four bytes a cell. Scratch of a run lives in arrays
// of that run, atom counts in the silicon lattice and cut counts in the painter.
struct Voxel
{
    Voxel() = default;
    explicit Voxel(uint32_t materialId) : material(materialId) {}

    uint32_t material = 0; // 0: empty cell
};

static_assert(sizeof(Voxel) == 4, "Voxel grew; volumes would take more memory");

} // namespace Automaton
} // namespace Model
