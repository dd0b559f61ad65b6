#include "mooreneighborhoodetching.h"

#include "moorelayers.h"
#include "mooreslabs.h"

#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

MooreNeighborhoodEtching::MooreNeighborhoodEtching(Model::Automaton::TotalVolume &volume, uint32_t material)
    : m_volume(volume), m_material(material)
{
}

unsigned MooreNeighborhoodEtching::slabCount() const
{
    return unsigned(mooreSlabPlan(m_volume.getSizeX()).slabs.size());
}

int MooreNeighborhoodEtching::run(unsigned iterations)
{
    // Etching "empty" would be meaningless and would never stop growing its front.
    if (m_volume.getCellCount() == 0 || iterations == 0 || m_material == 0)
        return 0;
    return runMooreLayers(m_volume, iterations, m_material, 0u,
                          [](const Model::Automaton::Voxel &v) { return v.material == 0; });
}

} // namespace Operations
} // namespace Core
