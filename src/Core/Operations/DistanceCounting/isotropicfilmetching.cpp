#include "isotropicfilmetching.h"

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

IsotropicFilmEtching::IsotropicFilmEtching(Model::Automaton::TotalVolume &volume, uint32_t material, float depth)
    : AbstractDistanceCountingAutomatonNoFinalize(volume),
      m_material(material),
      m_distance(depth),
      m_distanceSq(depth * depth)
{
    m_propagatingMaterials = MaterialSet{0, material};
    const float d = depth;
    setScratchDefaults({1, {0, 0, 0}}, MaterialSet{material}, {0, {d, d, d}}, {1, {d, d, d}});
}

int IsotropicFilmEtching::iterationCount() const { return etchingIterations(m_distance, minCellSize()); }

void IsotropicFilmEtching::simulate() { run(iterationCount()); }

void IsotropicFilmEtching::initializeCell(uint32_t index, unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (voxel.material == 0) {
        setScratch(index, 1, 0, 0, 0);
        return;
    }
    const uint8_t fixed = voxel.material == m_material ? 0 : 1;
    setScratch(index, fixed, m_distance, m_distance, m_distance);
    // A mask cell would be skipped by every update; only etchable cells need the front.
    if (!fixed && anyNeighbour(index, slab, [](const Voxel &n) { return n.material == 0; }))
        addToFront(index, slab);
}

void IsotropicFilmEtching::updateCell(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                                      unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (flagOf(index) || (voxel.material != 0 && voxel.material != m_material))
        return;
    relaxInto(index, 0, m_distanceSq, m_steps, first, last, newFront, slab);
}

} // namespace Operations
} // namespace Core
