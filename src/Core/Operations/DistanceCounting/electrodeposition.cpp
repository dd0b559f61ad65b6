#include "electrodeposition.h"

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

Electrodeposition::Electrodeposition(Model::Automaton::TotalVolume &volume, uint32_t depositedMaterial,
                                     uint32_t conductingMaterial, float thickness)
    : AbstractDistanceCountingAutomatonNoFinalize(volume),
      m_material(depositedMaterial),
      m_conductor(conductingMaterial),
      m_distance(thickness),
      m_distanceSq(thickness * thickness)
{
    m_propagatingMaterials = MaterialSet{0, depositedMaterial};
}

int Electrodeposition::iterationCount() const { return depositionIterations(m_distance, minCellSize()); }

void Electrodeposition::simulate() { run(iterationCount()); }

void Electrodeposition::initializeCell(uint32_t index, unsigned slab)
{
    Voxel &voxel = cell(index);
    if (voxel.material != 0) {
        voxel.automatonFlag = 1;
        if (voxel.material == m_conductor)
            setVector(voxel, 0, 0, 0);
        else
            setVector(voxel, m_distance, m_distance, m_distance);
        return;
    }
    voxel.automatonFlag = 0;
    setVector(voxel, m_distance, m_distance, m_distance);
    // Only an empty cell touching the conductor can find a distance in the first step:
    // every other neighbour holds (T, T, T). Entering the rest would only cost time.
    const uint32_t conductor = m_conductor;
    if (anyNeighbour(index, slab, [conductor](const Voxel &n) { return n.material == conductor; }))
        addToFront(index, slab);
}

void Electrodeposition::updateCell(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                                   unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (voxel.automatonFlag)
        return;
    relaxInto(index, voxel.material != 0 ? voxel.material : m_material, m_distanceSq, m_steps, first, last, newFront,
              slab);
}

} // namespace Operations
} // namespace Core
