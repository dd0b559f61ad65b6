#include "isotropicfilmdeposition.h"

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

IsotropicFilmDeposition::IsotropicFilmDeposition(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                 float thickness)
    : AbstractDistanceCountingAutomatonNoFinalize(volume),
      m_material(material),
      m_distance(thickness),
      m_distanceSq(thickness * thickness)
{
    m_propagatingMaterials = MaterialSet{0, material};
    const float d = thickness;
    setScratchDefaults({0, {d, d, d}}, MaterialSet(), {1, {0, 0, 0}}, {1, {0, 0, 0}});
}

int IsotropicFilmDeposition::iterationCount() const { return depositionIterations(m_distance, minCellSize()); }

void IsotropicFilmDeposition::simulate() { run(iterationCount()); }

void IsotropicFilmDeposition::initializeCell(uint32_t index, unsigned slab)
{
    if (cell(index).material != 0) {
        setScratch(index, 1, 0, 0, 0);
        return;
    }
    setScratch(index, 0, m_distance, m_distance, m_distance);
    if (anyNeighbour(index, slab, [](const Voxel &n) { return n.material != 0; }))
        addToFront(index, slab);
}

void IsotropicFilmDeposition::updateCell(uint32_t index, unsigned first, unsigned last,
                                         std::vector<uint32_t> &newFront, unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (flagOf(index))
        return;
    relaxInto(index, voxel.material != 0 ? voxel.material : m_material, m_distanceSq, m_steps, first, last, newFront,
              slab);
}

} // namespace Operations
} // namespace Core
