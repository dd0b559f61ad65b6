#include "ionimplantation.h"

#include <cmath>
#include <cstring>

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

IonImplantation::IonImplantation(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth,
                                 float verticalSpread, float annealingDistance, const MaterialSet &implantable)
    : AbstractDistanceCountingAutomatonNoFinalize(volume),
      m_material(dopedMaterial),
      m_depth(depth),
      m_spread(verticalSpread),
      m_annealing(annealingDistance),
      m_annealingSq(annealingDistance * annealingDistance),
      m_implanted(getSlabCount())
{
    m_propagatingMaterials = implantable;
    // The same construction as the base steps, from the unscaled cell sizes.
    std::memcpy(m_ownSteps, m_steps, sizeof(StepVectors));
    const float a = annealingDistance;
    setScratchDefaults({1, {a, a, a}}, implantable, {0, {a, a, a}}, {1, {a, a, a}});
}

int IonImplantation::iterationCount() const { return depositionIterations(m_annealing, minCellSize()); }

void IonImplantation::simulate() { run(iterationCount()); }

void IonImplantation::initializeCell(uint32_t, unsigned) {}

void IonImplantation::initializeSlab(unsigned first, unsigned last, unsigned slab)
{
    clearFront(slab);
    std::vector<uint32_t> &implanted = m_implanted[slab];
    implanted.clear();
    const float a = m_annealing;
    const float halfCellPlusSpread = 0.5f * m_cz + m_spread;
    for (unsigned x = first; x < last; ++x)
        for (unsigned y = 0; y < m_sizeY; ++y) {
            const uint32_t column = uint32_t((uint64_t(x) * m_sizeY + y) * m_sizeZ);
            int z = int(m_sizeZ) - 1;
            for (; z >= 0; --z) {
                if (cell(column + unsigned(z)).material != 0)
                    break;
                setScratch(column + unsigned(z), 1, a, a, a);
            }
            if (z < 0)
                continue;
            const int surface = z + 1;
            for (; z >= 0; --z) {
                const uint32_t index = column + unsigned(z);
                Voxel &voxel = cell(index);
                if (!m_propagatingMaterials.contains(voxel.material)) {
                    setScratch(index, 1, a, a, a);
                    continue;
                }
                const float depth = float(surface - z) * m_cz;
                if (std::fabs(depth - m_depth) <= halfCellPlusSpread) {
                    voxel.material = m_material;
                    setScratch(index, 1, 0, 0, 0);
                    implanted.push_back(index);
                } else {
                    setScratch(index, 0, a, a, a);
                }
            }
        }
}

void IonImplantation::linkSlab(unsigned first, unsigned last, unsigned slab)
{
    // Neighbours are collected only once every column of every slab has been
    // implanted, so no slab reads a cell another slab is still writing.
    std::vector<uint32_t> front;
    for (uint32_t index : m_implanted[slab])
        collectNeighbours(index, first, last, front, slab);
    for (uint32_t index : front)
        addToFront(index, slab);
    m_implanted[slab].clear();
}

void IonImplantation::updateCell(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                                 unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (flagOf(index) || !m_propagatingMaterials.contains(voxel.material))
        return;
    relaxInto(index, m_material, m_annealingSq, m_ownSteps, first, last, newFront, slab);
}

} // namespace Operations
} // namespace Core
