#include "anisotropicfilmetching.h"

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

AnisotropicFilmEtching::AnisotropicFilmEtching(Model::Automaton::TotalVolume &volume, uint32_t material, float depth,
                                               float horizontalRatio)
    : AbstractDistanceCountingAutomatonNoFinalize(volume),
      m_material(material),
      m_distance(depth),
      m_distanceSq(depth * depth)
{
    m_propagatingMaterials = MaterialSet{0, material};
    const float d = depth;
    setScratchDefaults({1, {0, 0, 0}}, MaterialSet{material}, {0, {d, d, d}}, {1, {d, d, d}});
    if (horizontalRatio > 0)
        setCellSizes(m_cx / horizontalRatio, m_cy / horizontalRatio, m_cz);
    else
        setCellSizes(2 * depth, 2 * depth, m_cz);
}

int AnisotropicFilmEtching::iterationCount() const { return depositionIterations(m_distance, minCellSize()); }

void AnisotropicFilmEtching::simulate() { run(iterationCount()); }

void AnisotropicFilmEtching::initializeCell(uint32_t index, unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (voxel.material == 0) {
        setScratch(index, 1, 0, 0, 0);
        return;
    }
    const uint8_t fixed = voxel.material == m_material ? 0 : 1;
    setScratch(index, fixed, m_distance, m_distance, m_distance);
    // Only a cell touching empty space can take a distance in the first step. (Testing for a
    // non-empty neighbour instead would leave a cell with only empty neighbours unetched.)
    if (!fixed && anyNeighbour(index, slab, [](const Voxel &n) { return n.material == 0; }))
        addToFront(index, slab);
}

void AnisotropicFilmEtching::updateCell(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                                        unsigned slab)
{
    if (flagOf(index))
        return;
    relaxInto(index, 0, m_distanceSq, m_steps, first, last, newFront, slab);
}

} // namespace Operations
} // namespace Core
