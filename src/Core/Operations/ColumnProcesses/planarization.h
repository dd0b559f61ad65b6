#pragma once

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Empties every cell below a minimum height and at or above a maximum height
// (heights in cells, z = 0 the bottom layer).
class Planarization
{
public:
    // Both heights are bounded by sizeZ, so values from a stored process list
    // can never reach outside the volume. The volume must outlive the object.
    Planarization(Model::Automaton::TotalVolume &volume, unsigned maximumHeight, unsigned minimumHeight);

    // Locks the volume for the whole run.
    void run();

    unsigned maximumHeight() const { return m_maximum; }
    unsigned minimumHeight() const { return m_minimum; }

private:
    Model::Automaton::TotalVolume &m_volume;
    unsigned m_maximum;
    unsigned m_minimum;
};

} // namespace Operations
} // namespace Core
