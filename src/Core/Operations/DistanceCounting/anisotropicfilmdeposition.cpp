#include "anisotropicfilmdeposition.h"

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

AnisotropicFilmDeposition::AnisotropicFilmDeposition(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                     float thickness, float horizontalRatio)
    : AbstractDistanceCountingAutomatonNoFinalize(volume),
      m_material(material),
      m_distance(thickness),
      m_distanceSq(thickness * thickness)
{
    m_propagatingMaterials = MaterialSet{0, material};
    scaleHorizontally(horizontalRatio, thickness);
}

void AnisotropicFilmDeposition::scaleHorizontally(float ratio, float distance)
{
    if (ratio > 0)
        setCellSizes(m_cx / ratio, m_cy / ratio, m_cz);
    else
        setCellSizes(2 * distance, 2 * distance, m_cz);
}

int AnisotropicFilmDeposition::iterationCount() const { return depositionIterations(m_distance, minCellSize()); }

void AnisotropicFilmDeposition::simulate() { run(iterationCount()); }

void AnisotropicFilmDeposition::initializeCell(uint32_t index, unsigned slab)
{
    Voxel &voxel = cell(index);
    if (voxel.material != 0) {
        voxel.automatonFlag = 1;
        setVector(voxel, 0, 0, 0);
        return;
    }
    voxel.automatonFlag = 0;
    setVector(voxel, m_distance, m_distance, m_distance);
    if (anyNeighbour(index, slab, [](const Voxel &n) { return n.material != 0; }))
        addToFront(index, slab);
}

void AnisotropicFilmDeposition::updateCell(uint32_t index, unsigned first, unsigned last,
                                           std::vector<uint32_t> &newFront, unsigned slab)
{
    if (cell(index).automatonFlag)
        return;
    relaxInto(index, m_material, m_distanceSq, m_steps, first, last, newFront, slab);
}

} // namespace Operations
} // namespace Core
