#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Grows a film of one material by one Moore layer per iteration: after n
// iterations every empty cell reachable from the solid surface by at most n
// Moore steps through empty cells holds the material (cube-shaped growth).
class MooreNeighborhoodDeposition
{
public:
    // The volume must outlive the automaton.
    MooreNeighborhoodDeposition(Model::Automaton::TotalVolume &volume, uint32_t material);

    // Locks the volume for the whole run. Returns the iterations stepped
    // (fewer than asked once nothing is left to grow into).
    int run(unsigned iterations);

    // The slab count the run uses with the pool's current size.
    unsigned slabCount() const;

private:
    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_material;
};

} // namespace Operations
} // namespace Core
