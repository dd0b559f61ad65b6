#include "simpledoping.h"

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

SimpleDoping::SimpleDoping(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth,
                           const MaterialSet &dopable)
    : AbstractDistanceCountingAutomatonNoFinalize(volume),
      m_material(dopedMaterial),
      m_distance(depth),
      m_distanceSq(depth * depth),
      m_dopable(dopable)
{
    m_propagatingMaterials = MaterialSet{0, dopedMaterial};
    const float d = depth;
    setScratchDefaults({1, {0, 0, 0}}, dopable, {0, {d, d, d}}, {1, {d, d, d}});
}

int SimpleDoping::iterationCount() const { return depositionIterations(m_distance, minCellSize()); }

void SimpleDoping::simulate() { run(iterationCount()); }

void SimpleDoping::collectNeighbours(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                                     unsigned slab)
{
    collectNeighboursIn(m_dopable, index, first, last, newFront, slab);
}

void SimpleDoping::initializeCell(uint32_t index, unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (voxel.material == 0) {
        setScratch(index, 1, 0, 0, 0);
        return;
    }
    if (!m_dopable.contains(voxel.material)) {
        setScratch(index, 1, m_distance, m_distance, m_distance);
        return;
    }
    setScratch(index, 0, m_distance, m_distance, m_distance);
    if (anyNeighbour(index, slab, [](const Voxel &n) { return n.material == 0; }))
        addToFront(index, slab);
}

void SimpleDoping::updateCell(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                              unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (flagOf(index) || !m_dopable.contains(voxel.material))
        return;
    relaxInto(index, m_material, m_distanceSq, m_steps, first, last, newFront, slab);
}

} // namespace Operations
} // namespace Core
