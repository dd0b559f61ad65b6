#include "simplephysicalvapordeposition.h"

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

SimplePhysicalVaporDeposition::SimplePhysicalVaporDeposition(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                             float thickness, float horizontalRatio, int depositOn)
    : AnisotropicFilmDeposition(volume, material, thickness, horizontalRatio), m_depositOn(depositOn)
{
    // Only the source cells of a solid differ from the rest: they get no distance to go.
    const float d = thickness;
    setScratchDefaults({0, {d, d, d}}, MaterialSet(), {1, {d, d, d}}, {1, {d, d, d}});
}

void SimplePhysicalVaporDeposition::initializeCell(uint32_t index, unsigned slab)
{
    if (cell(index).material == 0) {
        AnisotropicFilmDeposition::initializeCell(index, slab);
        return;
    }
    const unsigned mask = neighbourMask(index, slab);
    const bool openAbove = (mask & 2u) && cell(neighbour(index, 1)).material == 0;
    const bool openBelow = (mask & 1u) && cell(neighbour(index, 0)).material == 0;
    const bool source = (m_depositOn == Top && openAbove) || (m_depositOn == Bottom && openBelow) ||
                        (m_depositOn == BothSides && (openAbove || openBelow));
    if (source)
        setScratch(index, 1, 0, 0, 0);
    else
        setScratch(index, 1, m_distance, m_distance, m_distance);
}

} // namespace Operations
} // namespace Core
