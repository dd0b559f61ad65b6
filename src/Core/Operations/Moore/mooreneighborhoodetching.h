#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Removes one material by one Moore layer per iteration, starting from the
// cells of it that touch empty space. Other materials are never changed
// and block the etch.
class MooreNeighborhoodEtching
{
public:
    // The volume must outlive the automaton.
    MooreNeighborhoodEtching(Model::Automaton::TotalVolume &volume, uint32_t material);

    // Locks the volume for the whole run. Returns the iterations stepped.
    int run(unsigned iterations);

    unsigned slabCount() const;

private:
    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_material;
};

} // namespace Operations
} // namespace Core
