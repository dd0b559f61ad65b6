#include "mooreneighborhooddeposition.h"

#include "moorelayers.h"
#include "mooreslabs.h"

#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

MooreNeighborhoodDeposition::MooreNeighborhoodDeposition(Model::Automaton::TotalVolume &volume, uint32_t material)
    : m_volume(volume), m_material(material)
{
}

unsigned MooreNeighborhoodDeposition::slabCount() const
{
    return unsigned(mooreSlabPlan(m_volume.getSizeX()).slabs.size());
}

int MooreNeighborhoodDeposition::run(unsigned iterations)
{
    if (m_volume.getCellCount() == 0 || iterations == 0 || m_material == 0)
        return 0;
    return runMooreLayers(m_volume, iterations, 0u, m_material,
                          [](const Model::Automaton::Voxel &v) { return v.material != 0; });
}

} // namespace Operations
} // namespace Core
