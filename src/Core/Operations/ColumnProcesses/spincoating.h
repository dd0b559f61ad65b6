#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Pours a material: every empty cell below a height is filled, so cavities
// and the space around structures fill up to that height. Cells that hold
// something are left alone.
class SpinCoating
{
public:
    // The height is bounded by sizeZ. The volume must outlive the object.
    SpinCoating(Model::Automaton::TotalVolume &volume, uint32_t material, unsigned height);

    // Locks the volume for the whole run.
    void run();

    unsigned height() const { return m_height; }

private:
    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_material;
    unsigned m_height;
};

} // namespace Operations
} // namespace Core
