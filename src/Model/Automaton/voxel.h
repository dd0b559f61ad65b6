#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

// One cell of a cell volume. Kept small and trivially copyable: volumes hold
// tens of millions of these in one array.
struct Voxel
{
    Voxel() = default;
    explicit Voxel(uint32_t materialId) : material(materialId) {}

    uint32_t material = 0;      // 0: empty cell
    uint8_t automatonFlag = 0;  // fixed flag of the distance-counting automata
    uint8_t cutCount = 0;       // cut planes hiding this cell; > 0 draws it as empty
    float automatonValues[3] = {0.0f, 0.0f, 0.0f};
    int32_t latticeIndex = 0;

    unsigned getCutCount() const { return cutCount; }
    void incrementCutCount()
    {
        if (cutCount < 255)
            ++cutCount;
    }
    void decrementCutCount()
    {
        if (cutCount > 0)
            --cutCount;
    }
    void resetCutCount() { cutCount = 0; }
};

static_assert(sizeof(Voxel) == 24, "Voxel layout grew; volumes would take more memory");

} // namespace Automaton
} // namespace Model
